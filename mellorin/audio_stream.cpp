#include "mellorin/audio_stream.h"

#include <algorithm>
#include <cstring>

namespace mellorin {

namespace {

constexpr int kBytesPerSample = 2;

std::string ErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

void CopyOrDefaultLayout(AVChannelLayout* out, const AVChannelLayout& in) {
    if (in.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_copy(out, &in) < 0) {
        av_channel_layout_default(out, in.nb_channels);
    }
}

}  // namespace

std::unique_ptr<AudioStream> AudioStream::Open(const std::string& url, DecodeError* error) {
    DecodeError ignored;
    DecodeError& reason = error != nullptr ? *error : ignored;
    const auto refuse = [&reason](int code) {
        reason = {DecodeReason::NotAudio, ErrorText(code)};
        return nullptr;
    };
    auto stream = std::make_unique<AudioStream>(Key{});
    AVFormatContext* rawInput = nullptr;
    if (const int rc = avformat_open_input(&rawInput, url.c_str(), nullptr, nullptr); rc < 0) {
        return refuse(rc);
    }
    stream->input_.reset(rawInput);
    AVFormatContext* input = stream->input_.get();
    if (const int rc = avformat_find_stream_info(input, nullptr); rc < 0) {
        return refuse(rc);
    }
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (index < 0 || decoder == nullptr) {
        reason = {DecodeReason::NotAudio, index == AVERROR_DECODER_NOT_FOUND
                                              ? "no decoder for its audio"
                                              : "no audio stream"};
        return nullptr;
    }
    stream->streamIndex_ = index;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        if (static_cast<int>(i) != index) {
            input->streams[i]->discard = AVDISCARD_ALL;
        }
    }
    const AVStream* audio = input->streams[index];
    stream->codec_.reset(avcodec_alloc_context3(decoder));
    AVCodecContext* codec = stream->codec_.get();
    if (codec == nullptr) {
        return refuse(AVERROR(ENOMEM));
    }
    if (const int rc = avcodec_parameters_to_context(codec, audio->codecpar); rc < 0) {
        return refuse(rc);
    }
    codec->pkt_timebase = audio->time_base;
    if (const int rc = avcodec_open2(codec, decoder, nullptr); rc < 0) {
        return refuse(rc);
    }
    const int channels = codec->ch_layout.nb_channels;
    if (codec->sample_rate <= 0 || channels <= 0 || channels * kBytesPerSample > 0xFFFF) {
        reason = {DecodeReason::NotAudio, "no sample rate or channel count"};
        return nullptr;
    }
    CopyOrDefaultLayout(&stream->outLayout_, codec->ch_layout);
    stream->frame_.reset(av_frame_alloc());
    stream->packet_.reset(av_packet_alloc());
    if (!stream->frame_ || !stream->packet_) {
        return refuse(AVERROR(ENOMEM));
    }
    WaveFormatEx& format = stream->format_;
    format.wFormatTag = kWaveFormatPcm;
    format.nChannels = static_cast<uint16_t>(channels);
    format.nSamplesPerSec = static_cast<uint32_t>(codec->sample_rate);
    format.nBlockAlign = static_cast<uint16_t>(channels * kBytesPerSample);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.wBitsPerSample = 8 * kBytesPerSample;
    format.cbSize = 0;
    return stream;
}

AudioStream::~AudioStream() {
    av_channel_layout_uninit(&outLayout_);
    av_channel_layout_uninit(&inLayout_);
}

std::string AudioStream::FailureText() const {
    return ErrorText(failure_ != 0 ? failure_ : AVERROR_UNKNOWN);
}

std::optional<double> AudioStream::DeclaredSeconds() const {
    const AVFormatContext* input = input_.get();
    if (input->duration == AV_NOPTS_VALUE || input->duration < 0 ||
        input->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) {
        return std::nullopt;
    }
    return static_cast<double>(input->duration) / AV_TIME_BASE;
}

StreamStatus AudioStream::Read(uint8_t* buffer, size_t capacity, size_t* filled) {
    *filled = 0;
    if (failed_) {
        return StreamStatus::Failure;
    }
    capacity -= capacity % format_.nBlockAlign;
    while (*filled < capacity) {
        if (pendingBegin_ < pendingEnd_) {
            const size_t n = std::min(capacity - *filled, pendingEnd_ - pendingBegin_);
            std::memcpy(buffer + *filled, pending_.data() + pendingBegin_, n);
            pendingBegin_ += n;
            *filled += n;
            continue;
        }
        const int refilled = Refill();
        if (refilled < 0) {
            // What was decoded before the failure is still handed out; the next read fails.
            failed_ = true;
            break;
        }
        if (refilled == 0) {
            break;
        }
    }
    if (*filled > 0) {
        return StreamStatus::Data;
    }
    return failed_ ? StreamStatus::Failure : StreamStatus::EndOfStream;
}

int AudioStream::Refill() {
    pendingBegin_ = pendingEnd_ = 0;
    AVCodecContext* codec = codec_.get();
    for (;;) {
        if (decoderDone_) {
            // A resampler may hold back a few samples; hand them out once, then end.
            if (!resampler_) {
                return 0;
            }
            const int converted = Convert(nullptr);
            resampler_.reset();
            return converted < 0 ? Fail(converted) : (converted > 0 ? 1 : 0);
        }
        int rc = avcodec_receive_frame(codec, frame_.get());
        if (rc == 0) {
            const int converted = Convert(frame_.get());
            av_frame_unref(frame_.get());
            if (converted < 0) {
                return Fail(converted);
            }
            if (converted > 0) {
                return 1;
            }
            continue;
        }
        if (rc == AVERROR_EOF) {
            decoderDone_ = true;
            continue;
        }
        if (rc == AVERROR_INVALIDDATA) {
            damaged_ = true;
            continue;
        }
        if (rc != AVERROR(EAGAIN) || inputDone_) {
            return Fail(rc);
        }
        rc = av_read_frame(input_.get(), packet_.get());
        if (rc < 0) {
            damaged_ = damaged_ || rc != AVERROR_EOF;
            inputDone_ = true;
            if (const int sent = avcodec_send_packet(codec, nullptr); sent < 0) {
                return Fail(sent);
            }
            continue;
        }
        if (packet_->stream_index == streamIndex_) {
            rc = avcodec_send_packet(codec, packet_.get());
        }
        av_packet_unref(packet_.get());
        if (rc == AVERROR_INVALIDDATA) {
            damaged_ = true;
        } else if (rc < 0) {
            return Fail(rc);
        }
    }
}

int AudioStream::Fail(int error) {
    failure_ = error;
    return -1;
}

bool AudioStream::ConfigureResampler(const AVFrame* frame) {
    if (resampler_ && frame->format == inFormat_ && frame->sample_rate == inRate_ &&
        av_channel_layout_compare(&frame->ch_layout, &inLayout_) == 0) {
        return true;
    }
    resampler_.reset();
    av_channel_layout_uninit(&inLayout_);
    CopyOrDefaultLayout(&inLayout_, frame->ch_layout);
    inFormat_ = frame->format;
    inRate_ = frame->sample_rate;
    SwrContext* raw = nullptr;
    if (swr_alloc_set_opts2(&raw, &outLayout_, AV_SAMPLE_FMT_S16,
                            static_cast<int>(format_.nSamplesPerSec), &inLayout_,
                            static_cast<AVSampleFormat>(inFormat_), inRate_, 0, nullptr) < 0) {
        return false;
    }
    resampler_.reset(raw);
    return swr_init(raw) >= 0;
}

int AudioStream::Convert(const AVFrame* frame) {
    if (frame != nullptr && !ConfigureResampler(frame)) {
        resampler_.reset();
        return AVERROR(EINVAL);
    }
    const int inSamples = frame != nullptr ? frame->nb_samples : 0;
    const int room = swr_get_out_samples(resampler_.get(), inSamples);
    if (room < 0) {
        return room;
    }
    if (room == 0) {
        return 0;
    }
    const size_t bytes = static_cast<size_t>(room) * format_.nBlockAlign;
    if (pending_.size() < bytes) {
        pending_.resize(bytes);
    }
    uint8_t* out = pending_.data();
    const int converted = swr_convert(
        resampler_.get(), &out, room,
        frame != nullptr ? const_cast<const uint8_t**>(frame->extended_data) : nullptr, inSamples);
    if (converted < 0) {
        return converted;
    }
    pendingBegin_ = 0;
    pendingEnd_ = static_cast<size_t>(converted) * format_.nBlockAlign;
    return converted;
}

}  // namespace mellorin
