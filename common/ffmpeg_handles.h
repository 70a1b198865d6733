#pragma once

// Owning handles for FFmpeg objects, so that every early return frees them.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

#include <memory>
#include <string>

namespace sw::ff {

struct InputFormatCloser {
    void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};
struct OutputFormatCloser {
    // Closes the output's I/O context too, when the run opened one.
    void operator()(AVFormatContext* ctx) const {
        if (ctx->pb && !(ctx->oformat->flags & AVFMT_NOFILE))
            avio_closep(&ctx->pb);
        avformat_free_context(ctx);
    }
};
struct CodecCloser {
    void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};
struct SwrCloser {
    void operator()(SwrContext* ctx) const { swr_free(&ctx); }
};
struct FifoCloser {
    void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};
struct FrameCloser {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketCloser {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

using InputFormat = std::unique_ptr<AVFormatContext, InputFormatCloser>;
using OutputFormat = std::unique_ptr<AVFormatContext, OutputFormatCloser>;
using Codec = std::unique_ptr<AVCodecContext, CodecCloser>;
using Resampler = std::unique_ptr<SwrContext, SwrCloser>;
using Fifo = std::unique_ptr<AVAudioFifo, FifoCloser>;
using Frame = std::unique_ptr<AVFrame, FrameCloser>;
using Packet = std::unique_ptr<AVPacket, PacketCloser>;

// FFmpeg's text for an error code ("No space left on device").
inline std::string errorText(int code) {
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buffer, sizeof buffer);
    return buffer;
}

}  // namespace sw::ff
