#include "mellorin/decode.h"

#include "mellorin/asf_duration.h"
#include "mellorin/audio_stream.h"
#include "mellorin/pending_file.h"
#include "mellorin/source_file.h"
#include "mellorin/wave_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>

namespace mellorin {

namespace {

DecodeOutcome Failure(const DecodeError& error) {
    return DecodeOutcome::Failed(error.reason, error.detail);
}

DecodeOutcome Failure(DecodeReason reason, std::string detail = {}) {
    return DecodeOutcome::Failed(reason, std::move(detail));
}

bool IsDiskFull(int error) {
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

DecodeError WriteFailure(int error) {
    return {IsDiskFull(error) ? DecodeReason::DiskFull : DecodeReason::CannotWriteOutput,
            std::strerror(error != 0 ? error : EIO)};
}

// What stands at `output` and must not be replaced by a file.
DecodeError OutputConflict(int sourceFd, const std::string& output) {
    struct stat target {};
    if (::stat(output.c_str(), &target) != 0) {
        return {};
    }
    struct stat source {};
    if (::fstat(sourceFd, &source) == 0 && source.st_dev == target.st_dev &&
        source.st_ino == target.st_ino) {
        return {DecodeReason::OutputIsSource, {}};
    }
    if (S_ISDIR(target.st_mode)) {
        return {DecodeReason::CannotCreateOutput, std::strerror(EISDIR)};
    }
    return {};
}

bool Cancelled(const DecodeOptions& options) {
    return options.cancel != nullptr && options.cancel->load(std::memory_order_relaxed);
}

std::string Seconds(double seconds) {
    return std::to_string(std::llround(seconds));
}

}  // namespace

std::string DecodeOutcome::Text() const {
    if (kind != Kind::CompletedDamaged) {
        return error.Text();
    }
    return "source damaged: " + Seconds(decodedSeconds) +
           (declaredSeconds ? " of " + Seconds(*declaredSeconds) + " s"
                            : std::string(" s decoded"));
}

double DecodedFraction(uint64_t bytes, uint32_t bytesPerSecond,
                       std::optional<double> declaredSeconds) {
    if (bytesPerSecond == 0 || !declaredSeconds || *declaredSeconds <= 0) {
        return 0;
    }
    const double fraction = static_cast<double>(bytes) / bytesPerSecond / *declaredSeconds;
    return fraction < 1 ? fraction : 1;
}

DecodeOutcome DecodeFile(const std::string& source, const std::string& output,
                         const DecodeOptions& options) {
    DecodeError error;
    const auto sourceFd = OpenSourceFile(source, &error);
    if (!sourceFd) {
        return Failure(error);
    }
    if (error = OutputConflict(sourceFd->get(), output); error.reason != DecodeReason::None) {
        return Failure(error);
    }
    const auto stream = AudioStream::Open(FfmpegUrlOf(sourceFd->get(), source), &error);
    if (!stream) {
        return Failure(error);
    }
    std::optional<double> declared = AsfDeclaredSeconds(sourceFd->get());
    if (!declared) {
        declared = stream->DeclaredSeconds();
    }
    int createError = 0;
    const auto pending = PendingFile::Create(output, &createError);
    if (!pending) {
        return Failure(DecodeReason::CannotCreateOutput, std::strerror(createError));
    }
    CWaveWriter writer;
    if (writer.Open(sw::UniqueFd(::fcntl(pending->fd(), F_DUPFD_CLOEXEC, 0)), &stream->Format()) !=
        sw::result::kOk) {
        return Failure(WriteFailure(writer.Error() != 0 ? writer.Error() : errno));
    }
    const uint32_t bytesPerSecond = stream->Format().nAvgBytesPerSec;
    const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(kDecodeBufferSize);
    uint64_t total = 0;
    for (;;) {
        if (Cancelled(options)) {
            DecodeOutcome stopped = Failure(DecodeReason::Stopped);
            stopped.kind = DecodeOutcome::Kind::Stopped;
            return stopped;
        }
        size_t filled = 0;
        const StreamStatus status = stream->Read(buffer.get(), kDecodeBufferSize, &filled);
        if (status == StreamStatus::EndOfStream) {
            break;
        }
        if (status == StreamStatus::Failure) {
            return Failure(DecodeReason::CannotDecode, stream->FailureText());
        }
        uint32_t written = 0;
        if (writer.Write(static_cast<uint32_t>(filled), buffer.get(), &written) !=
            sw::result::kOk) {
            return writer.Error() != 0 ? Failure(WriteFailure(writer.Error()))
                                       : Failure(DecodeReason::WaveTooLarge);
        }
        total += written;
        if (options.progress) {
            options.progress(total, DecodedFraction(total, bytesPerSecond, declared));
        }
    }
    if (writer.Close() != sw::result::kOk) {
        return Failure(WriteFailure(writer.Error()));
    }

    const double decoded = static_cast<double>(total) / bytesPerSecond;
    const bool damaged =
        stream->Damaged() || (declared && *declared - decoded > kDamageShortfallSeconds);
    // Less than half a second of a damaged source is nothing a listener would call audio.
    if (damaged && decoded < 0.5) {
        return Failure(DecodeReason::NothingDecoded);
    }
    if (Cancelled(options)) {
        return Failure(DecodeReason::Stopped);
    }
    if (options.finish) {
        options.finish(pending->Path());
    }
    if (const int commitError = pending->Commit(); commitError != 0) {
        return Failure(
            IsDiskFull(commitError) || commitError == EIO
                ? WriteFailure(commitError)
                : DecodeError{DecodeReason::CannotCreateOutput, std::strerror(commitError)});
    }
    if (!damaged) {
        DecodeOutcome completed;
        completed.kind = DecodeOutcome::Kind::Completed;
        return completed;
    }
    return {DecodeOutcome::Kind::CompletedDamaged, {}, decoded, declared};
}

}  // namespace mellorin
