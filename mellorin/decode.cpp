#include "mellorin/decode.h"

#include "mellorin/wave_writer.h"

#include <limits>

namespace mellorin {

std::unique_ptr<AudioStream> OpenAudioStream(const std::string& source) {
    return AudioStream::Open(source);
}

bool DecodeToWave(AudioStream& stream, const std::string& output, ProgressCallback progress) {
    const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(kDecodeBufferSize);
    CWaveWriter writer;
    if (writer.Open(output.c_str(), &stream.Format()) != S_OK) {
        return false;
    }
    uint64_t total = 0;
    for (;;) {
        size_t filled = 0;
        const StreamStatus status = stream.Read(buffer.get(), kDecodeBufferSize, &filled);
        if (status == StreamStatus::EndOfStream) {
            break;
        }
        uint32_t written = 0;
        if (status == StreamStatus::Failure ||
            writer.Write(static_cast<uint32_t>(filled), buffer.get(), &written) != S_OK) {
            writer.Close();
            return false;
        }
        total += written;
        if (progress != nullptr) {
            constexpr uint64_t kMax = std::numeric_limits<int32_t>::max();
            progress(static_cast<int32_t>(total < kMax ? total : kMax));
        }
    }
    return writer.Close() == S_OK;
}

}  // namespace mellorin
