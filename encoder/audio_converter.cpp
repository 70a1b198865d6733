#include "encoder/audio_converter.h"

#include <QCoreApplication>

#include "encoder/error.h"

namespace sw::enc {

namespace {

[[noreturn]] void FailConversion() {
    Fail(ErrorCode::EncodeFailed,
         QCoreApplication::translate("Encoder",
                                     "The audio could not be converted to the profile's format."));
}

}  // namespace

AudioConverter::AudioConverter(const AVChannelLayout& layout, int sampleRate, Sink sink)
    : sampleRate_(sampleRate), sink_(std::move(sink)) {
    if (av_channel_layout_copy(&layout_, &layout) < 0)
        Fail(ErrorCode::OutOfMemory, QCoreApplication::translate("Encoder", "Out of memory."));
}

AudioConverter::~AudioConverter() {
    av_freep(&planes_[0]);
    av_channel_layout_uninit(&swrLayout_);
    av_channel_layout_uninit(&layout_);
}

bool AudioConverter::passesThrough(const AVFrame& frame) const {
    return !swr_ && frame.format == AV_SAMPLE_FMT_FLTP && frame.sample_rate == sampleRate_ &&
           av_channel_layout_compare(&frame.ch_layout, &layout_) == 0;
}

void AudioConverter::convert(const AVFrame& frame) {
    if (passesThrough(frame)) {
        sink_(frame.extended_data, frame.nb_samples);
        return;
    }
    AVChannelLayout source{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&source, frame.ch_layout.nb_channels);
    else if (av_channel_layout_copy(&source, &frame.ch_layout) < 0)
        Fail(ErrorCode::OutOfMemory, QCoreApplication::translate("Encoder", "Out of memory."));
    const bool changed = !swr_ || frame.format != swrFormat_ || frame.sample_rate != swrRate_ ||
                         av_channel_layout_compare(&source, &swrLayout_) != 0;
    if (changed) {
        av_channel_layout_uninit(&swrLayout_);
        swrLayout_ = source;  // owned from here on, freed on every path
        flush();
        SwrContext* raw = nullptr;
        if (swr_alloc_set_opts2(&raw, &layout_, AV_SAMPLE_FMT_FLTP, sampleRate_, &swrLayout_,
                                static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0,
                                nullptr) < 0)
            FailConversion();
        swr_.reset(raw);
        if (swr_init(raw) < 0)
            FailConversion();
        swrFormat_ = frame.format;
        swrRate_ = frame.sample_rate;
    } else {
        av_channel_layout_uninit(&source);
    }
    resample(const_cast<const uint8_t**>(frame.extended_data), frame.nb_samples);
}

void AudioConverter::flush() {
    if (swr_)
        resample(nullptr, 0);
}

void AudioConverter::resample(const uint8_t** data, int samples) {
    const int room = swr_get_out_samples(swr_.get(), samples);
    if (room <= 0)
        return;
    uint8_t** planes = reserve(room);
    const int made = swr_convert(swr_.get(), planes, room, data, samples);
    if (made < 0)
        FailConversion();
    if (made > 0)
        sink_(planes, made);
}

uint8_t** AudioConverter::reserve(int samples) {
    if (samples > capacity_) {
        av_freep(&planes_[0]);
        capacity_ = 0;
        if (av_samples_alloc(planes_, nullptr, layout_.nb_channels, samples, AV_SAMPLE_FMT_FLTP,
                             0) < 0)
            Fail(ErrorCode::OutOfMemory, QCoreApplication::translate("Encoder", "Out of memory."));
        capacity_ = samples;
    }
    return planes_;
}

}  // namespace sw::enc
