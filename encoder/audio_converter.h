#pragma once

#include "encoder/ffmpeg_handles.h"

#include <functional>

namespace sw::enc {

// Turns decoded frames of any format, rate and layout into planar float at the output's rate
// and layout (libswresample). A source that changes format mid-stream (possible in MPEG audio)
// gets a new resampler after the old one is drained; frames already in the output's format
// pass through untouched. Throws sw::Error.
class AudioConverter {
public:
    // Receives converted planes; they are valid only during the call.
    using Sink = std::function<void(uint8_t* const* planes, int samples)>;

    AudioConverter(const AVChannelLayout& layout, int sampleRate, Sink sink);
    AudioConverter(const AudioConverter&) = delete;
    AudioConverter& operator=(const AudioConverter&) = delete;
    ~AudioConverter();

    void convert(const AVFrame& frame);
    // Hands over what the resampler still holds.
    void flush();

private:
    bool passesThrough(const AVFrame& frame) const;
    void resample(const uint8_t** data, int samples);
    uint8_t** reserve(int samples);

    AVChannelLayout layout_{};
    int sampleRate_;
    Sink sink_;
    ff::Resampler swr_;
    int swrFormat_ = -1;
    int swrRate_ = 0;
    AVChannelLayout swrLayout_{};
    uint8_t* planes_[AV_NUM_DATA_POINTERS] = {};  // one allocation, grown as needed
    int capacity_ = 0;
};

}  // namespace sw::enc
