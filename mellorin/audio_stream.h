#pragma once

#include "common/ffmpeg_handles.h"
#include "mellorin/decode_error.h"
#include "mellorin/wave_format.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mellorin {

enum class StreamStatus { Data, EndOfStream, Failure };

// The primary audio stream of a media file, decoded to interleaved signed 16-bit PCM at the
// source's rate and channel count, handed out in blocks.
class AudioStream {
    struct Key {};

public:
    // nullptr when the file can't be opened or has no decodable audio stream, with the reason
    // in `error` (may be null). `url` is a UTF-8 path or an FFmpeg URL.
    static std::unique_ptr<AudioStream> Open(const std::string& url, DecodeError* error = nullptr);

    explicit AudioStream(Key) {}
    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;
    ~AudioStream();

    const WaveFormatEx& Format() const { return format_; }

    // Fills `buffer` with whole sample frames, as many as fit in `capacity` bytes; every
    // block but the last of the stream is full. Data: `filled` > 0. EndOfStream: nothing
    // is left, `filled` is 0. Failure: the source can't be decoded further (FailureText).
    // As the ffmpeg tool does, damaged packets are skipped and a read error ends the input;
    // both mark the stream Damaged.
    StreamStatus Read(uint8_t* buffer, size_t capacity, size_t* filled);

    bool Damaged() const { return damaged_; }
    std::string FailureText() const;
    // The duration the container declares, unless FFmpeg only estimated it from the bit rate.
    std::optional<double> DeclaredSeconds() const;

private:
    // 1 when `pending_` holds new samples, 0 at the end of the stream, negative on failure.
    int Refill();
    int Fail(int error);
    // Samples converted into `pending_`, or a negative FFmpeg error.
    int Convert(const AVFrame* frame);
    bool ConfigureResampler(const AVFrame* frame);

    sw::ff::InputFormat input_;
    sw::ff::Codec codec_;
    sw::ff::Resampler resampler_;
    sw::ff::Frame frame_;
    sw::ff::Packet packet_;
    int streamIndex_ = -1;
    AVChannelLayout outLayout_{};
    AVChannelLayout inLayout_{};
    int inFormat_ = -1;
    int inRate_ = 0;
    bool inputDone_ = false;
    bool decoderDone_ = false;
    bool failed_ = false;
    bool damaged_ = false;
    int failure_ = 0;  // the FFmpeg error behind a Failure
    WaveFormatEx format_{};
    std::vector<uint8_t> pending_;
    size_t pendingBegin_ = 0;
    size_t pendingEnd_ = 0;
};

}  // namespace mellorin
