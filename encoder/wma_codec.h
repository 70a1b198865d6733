#pragma once

#include "encoder/encoder.h"
#include "encoder/ffmpeg_handles.h"

namespace sw::enc {

// An opened WMA v2 encoder for the profile's audio settings: planar float input, time base of
// one sample. `globalHeader` as the ASF writer asks for it. Throws sw::Error.
ff::Codec OpenWmaEncoder(const Profile::AudioSettings& audio, bool globalHeader);

// Sends one frame (nullptr drains) and hands each packet it yields to `take`, which must move
// the packet's data out. Throws sw::Error.
template <typename Take>
void EncodeFrame(AVCodecContext* codec, const AVFrame* frame, AVPacket* packet, Take&& take);

[[noreturn]] void FailEncoder(int err);

template <typename Take>
void EncodeFrame(AVCodecContext* codec, const AVFrame* frame, AVPacket* packet, Take&& take) {
    if (const int err = avcodec_send_frame(codec, frame); err < 0)
        FailEncoder(err);
    for (;;) {
        const int err = avcodec_receive_packet(codec, packet);
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF)
            return;
        if (err < 0)
            FailEncoder(err);
        take(packet);
        av_packet_unref(packet);
    }
}

}  // namespace sw::enc
