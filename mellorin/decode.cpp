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

DecodeOutcome Failure(std::string text) {
    return {DecodeOutcome::Kind::Failed, std::move(text)};
}

bool IsDiskFull(int error) {
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

std::string WriteFailureText(int error) {
    return std::string(IsDiskFull(error) ? "disk full: " : "cannot write the output: ") +
           std::strerror(error != 0 ? error : EIO);
}

// What stands at `output` and must not be replaced by a file.
std::string OutputConflict(int sourceFd, const std::string& output) {
    struct stat target {};
    if (::stat(output.c_str(), &target) != 0) {
        return {};
    }
    struct stat source {};
    if (::fstat(sourceFd, &source) == 0 && source.st_dev == target.st_dev &&
        source.st_ino == target.st_ino) {
        return "the output is the source file";
    }
    if (S_ISDIR(target.st_mode)) {
        return std::string("cannot create the output: ") + std::strerror(EISDIR);
    }
    return {};
}

std::string Seconds(double seconds) {
    return std::to_string(std::llround(seconds));
}

}  // namespace

DecodeOutcome DecodeFile(const std::string& source, const std::string& output,
                         ProgressCallback progress) {
    std::string error;
    const auto sourceFd = OpenSourceFile(source, &error);
    if (!sourceFd) {
        return Failure(error);
    }
    if (error = OutputConflict(sourceFd->get(), output); !error.empty()) {
        return Failure(error);
    }
    const auto stream = AudioStream::Open(FfmpegUrlOf(sourceFd->get(), source), &error);
    if (!stream) {
        return Failure(error);
    }
    int createError = 0;
    const auto pending = PendingFile::Create(output, &createError);
    if (!pending) {
        return Failure(std::string("cannot create the output: ") + std::strerror(createError));
    }
    CWaveWriter writer;
    if (writer.Open(UniqueFd(::fcntl(pending->fd(), F_DUPFD_CLOEXEC, 0)), &stream->Format()) !=
        S_OK) {
        return Failure(WriteFailureText(writer.Error() != 0 ? writer.Error() : errno));
    }
    const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(kDecodeBufferSize);
    uint64_t total = 0;
    for (;;) {
        size_t filled = 0;
        const StreamStatus status = stream->Read(buffer.get(), kDecodeBufferSize, &filled);
        if (status == StreamStatus::EndOfStream) {
            break;
        }
        if (status == StreamStatus::Failure) {
            return Failure("cannot decode the source: " + stream->FailureText());
        }
        uint32_t written = 0;
        if (writer.Write(static_cast<uint32_t>(filled), buffer.get(), &written) != S_OK) {
            return Failure(writer.Error() != 0 ? WriteFailureText(writer.Error())
                                               : "the WAVE output would exceed its 4 GiB limit");
        }
        total += written;
        if (progress != nullptr) {
            constexpr uint64_t kMax = std::numeric_limits<int32_t>::max();
            progress(static_cast<int32_t>(total < kMax ? total : kMax));
        }
    }
    if (writer.Close() != S_OK) {
        return Failure(WriteFailureText(writer.Error()));
    }

    const double decoded = static_cast<double>(total) / stream->Format().nAvgBytesPerSec;
    std::optional<double> declared = AsfDeclaredSeconds(sourceFd->get());
    if (!declared) {
        declared = stream->DeclaredSeconds();
    }
    const bool damaged =
        stream->Damaged() || (declared && *declared - decoded > kDamageShortfallSeconds);
    if (damaged && total == 0) {
        return Failure("source damaged: no audio could be decoded");
    }
    if (const int commitError = pending->Commit(); commitError != 0) {
        return Failure(IsDiskFull(commitError) || commitError == EIO
                           ? WriteFailureText(commitError)
                           : std::string("cannot create the output: ") +
                                 std::strerror(commitError));
    }
    if (!damaged) {
        return {DecodeOutcome::Kind::Completed, {}};
    }
    return {DecodeOutcome::Kind::CompletedDamaged,
            "source damaged: " + Seconds(decoded) +
                (declared ? " of " + Seconds(*declared) + " s" : std::string(" s decoded"))};
}

}  // namespace mellorin
