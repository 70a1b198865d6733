#pragma once

#include "mellorin/ffmpeg_handles.h"
#include "mellorin/wave_format.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mellorin {

enum class StreamStatus { Data, EndOfStream, Failure };

// The primary audio stream of a media file, decoded to interleaved signed 16-bit PCM at the
// source's rate and channel count, handed out in blocks.
class AudioStream {
    struct Key {};

public:
    // nullptr when the file can't be opened or has no decodable audio stream. `path` is UTF-8.
    static std::unique_ptr<AudioStream> Open(const std::string& path);

    explicit AudioStream(Key) {}
    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;
    ~AudioStream();

    const WaveFormatEx& Format() const { return format_; }

    // Fills `buffer` with whole sample frames, as many as fit in `capacity` bytes; every
    // block but the last of the stream is full. Data: `filled` > 0. EndOfStream: nothing
    // is left, `filled` is 0. Failure: the source can't be read or decoded further.
    StreamStatus Read(uint8_t* buffer, size_t capacity, size_t* filled);

private:
    // 1 when `pending_` holds new samples, 0 at the end of the stream, negative on failure.
    int Refill();
    int Convert(const AVFrame* frame);
    bool ConfigureResampler(const AVFrame* frame);

    ff::InputPtr input_;
    ff::CodecPtr codec_;
    ff::ResamplerPtr resampler_;
    ff::FramePtr frame_;
    ff::PacketPtr packet_;
    int streamIndex_ = -1;
    AVChannelLayout outLayout_{};
    AVChannelLayout inLayout_{};
    int inFormat_ = -1;
    int inRate_ = 0;
    bool inputDone_ = false;
    bool decoderDone_ = false;
    bool failed_ = false;
    WaveFormatEx format_{};
    std::vector<uint8_t> pending_;
    size_t pendingBegin_ = 0;
    size_t pendingEnd_ = 0;
};

}  // namespace mellorin
