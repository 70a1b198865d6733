#include "core/engine/flac_run.h"

#include "core/engine/flac_tag.h"
#include "encoder/ffmpeg_handles.h"
#include "encoder/input_probe.h"
#include "encoder/temp_output.h"

#include <QCoreApplication>

#include <algorithm>
#include <new>
#include <optional>

namespace {

namespace ff = sw::enc::ff;

// Why a run failed, for the user; thrown inside the pipeline only.
struct Failure {
    QString reason;
};

[[noreturn]] void fail(const QString& reason) {
    throw Failure{reason};
}

QString tr(const char* text) {
    return QCoreApplication::translate("FlacRun", text);
}

class FlacPipeline {
public:
    FlacPipeline(const ConversionRequest& request, const std::atomic<bool>& cancel,
                 std::atomic<double>& progress)
        : request_(request), cancel_(cancel), progress_(progress) {}

    // False when the run was stopped.
    bool run() {
        openInput();
        QString reason;
        if (!temp_.create(request_.output, &reason))
            fail(reason);
        openOutput();
        if (!decodeAll())
            return false;
        drain(true);
        if (const int err = av_write_trailer(out_.get()); err < 0)
            failWrite(err);
        if (const int err = avio_closep(&out_->pb); err < 0)
            failWrite(err);
        if (decodedSamples_ == 0)
            fail(tr("The source file is damaged: it holds no audio that decodes."));
        copyTagToFlacFile(request_.source, temp_.path());
        if (cancel_.load())
            return false;
        if (!temp_.commit(&reason))
            fail(reason);
        return true;
    }

private:
    [[noreturn]] static void failWrite(int err) {
        fail(tr("The output file could not be written: %1").arg(ff::ErrorText(err)));
    }

    void openInput() {
        QString reason;
        const char* demuxer = sw::enc::DemuxerFor(request_.source);
        if (demuxer == nullptr)
            fail(tr("The source file cannot be read: its format is not known."));
        std::optional<sw::enc::OpenedInput> input =
            sw::enc::OpenInput(request_.source, demuxer, &reason);
        if (!input)
            fail(tr("The source file cannot be read: %1.").arg(reason));
        in_ = std::move(*input);
    }

    void openOutput() {
        AVFormatContext* raw = nullptr;
        if (avformat_alloc_output_context2(&raw, nullptr, "flac", nullptr) < 0 || !raw)
            fail(tr("This FFmpeg has no FLAC writer."));
        out_.reset(raw);
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_FLAC);
        if (!codec)
            fail(tr("This FFmpeg has no FLAC encoder."));
        enc_.reset(avcodec_alloc_context3(codec));
        if (!enc_)
            throw std::bad_alloc();
        const AVCodecContext& dec = *in_.decoder;
        // Lossy sources decode to float: 16 bits keep all they hold. A lossless one keeps its
        // own depth.
        const bool deep = dec.bits_per_raw_sample > 16 || dec.sample_fmt == AV_SAMPLE_FMT_S32 ||
                          dec.sample_fmt == AV_SAMPLE_FMT_S32P;
        enc_->sample_fmt = deep ? AV_SAMPLE_FMT_S32 : AV_SAMPLE_FMT_S16;
        if (deep)
            enc_->bits_per_raw_sample = dec.bits_per_raw_sample > 0 ? dec.bits_per_raw_sample : 24;
        enc_->sample_rate = dec.sample_rate;
        if (av_channel_layout_copy(&enc_->ch_layout, &dec.ch_layout) < 0)
            throw std::bad_alloc();
        if (enc_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&enc_->ch_layout, dec.ch_layout.nb_channels);
        enc_->time_base = AVRational{1, dec.sample_rate};
        if (out_->oformat->flags & AVFMT_GLOBALHEADER)
            enc_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (const int err = avcodec_open2(enc_.get(), codec, nullptr); err < 0)
            fail(tr("The FLAC encoder could not be opened: %1").arg(ff::ErrorText(err)));
        AVStream* stream = avformat_new_stream(out_.get(), nullptr);
        if (!stream || avcodec_parameters_from_context(stream->codecpar, enc_.get()) < 0)
            throw std::bad_alloc();
        stream->time_base = enc_->time_base;

        SwrContext* swr = nullptr;
        if (swr_alloc_set_opts2(&swr, &enc_->ch_layout, enc_->sample_fmt, enc_->sample_rate,
                                &in_.decoder->ch_layout, dec.sample_fmt, dec.sample_rate, 0,
                                nullptr) < 0 ||
            swr_init(swr) < 0) {
            swr_free(&swr);
            fail(tr("The source's audio can't be converted for FLAC."));
        }
        swr_.reset(swr);
        fifo_.reset(av_audio_fifo_alloc(enc_->sample_fmt, enc_->ch_layout.nb_channels, 4096));
        packet_.reset(av_packet_alloc());
        decoded_.reset(av_frame_alloc());
        if (!fifo_ || !packet_ || !decoded_)
            throw std::bad_alloc();

        const QByteArray url = sw::enc::FileUrl(temp_.path());
        if (const int err = avio_open(&out_->pb, url.constData(), AVIO_FLAG_WRITE); err < 0)
            fail(tr("The output file could not be created: %1").arg(ff::ErrorText(err)));
        if (const int err = avformat_write_header(out_.get(), nullptr); err < 0)
            failWrite(err);
    }

    bool decodeAll() {
        for (;;) {
            if (cancel_.load(std::memory_order_relaxed))
                return false;
            const int err = av_read_frame(in_.format.get(), packet_.get());
            if (err == AVERROR_EOF)
                break;
            if (err < 0)
                fail(tr("The source file could not be read: %1").arg(ff::ErrorText(err)));
            if (packet_->stream_index == in_.streamIndex) {
                const int sent = avcodec_send_packet(in_.decoder.get(), packet_.get());
                // A damaged packet is skipped, as players do.
                if (sent < 0 && sent != AVERROR_INVALIDDATA && sent != AVERROR(EAGAIN))
                    fail(tr("The source file could not be decoded: %1").arg(ff::ErrorText(sent)));
                receiveDecoded();
            }
            av_packet_unref(packet_.get());
        }
        avcodec_send_packet(in_.decoder.get(), nullptr);
        receiveDecoded();
        // What the resampler still holds.
        convert(nullptr, 0);
        return true;
    }

    void receiveDecoded() {
        for (;;) {
            const int err = avcodec_receive_frame(in_.decoder.get(), decoded_.get());
            if (err == AVERROR(EAGAIN) || err == AVERROR_EOF)
                return;
            if (err == AVERROR_INVALIDDATA)
                continue;
            if (err < 0)
                fail(tr("The source file could not be decoded: %1").arg(ff::ErrorText(err)));
            decodedSamples_ += decoded_->nb_samples;
            if (in_.durationUs > 0) {
                const double seconds =
                    static_cast<double>(decodedSamples_) / in_.decoder->sample_rate;
                progress_.store(std::min(1.0, seconds * AV_TIME_BASE / in_.durationUs),
                                std::memory_order_relaxed);
            }
            convert(const_cast<const uint8_t**>(decoded_->extended_data), decoded_->nb_samples);
            av_frame_unref(decoded_.get());
        }
    }

    void convert(const uint8_t** data, int samples) {
        const int room = swr_get_out_samples(swr_.get(), samples);
        if (room <= 0)
            return;
        if (av_audio_fifo_realloc(fifo_.get(), av_audio_fifo_size(fifo_.get()) + room) < 0)
            throw std::bad_alloc();
        uint8_t** planes = nullptr;
        if (av_samples_alloc_array_and_samples(&planes, nullptr, enc_->ch_layout.nb_channels, room,
                                               enc_->sample_fmt, 0) < 0)
            throw std::bad_alloc();
        const int got = swr_convert(swr_.get(), planes, room, data, samples);
        if (got > 0)
            av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(planes), got);
        av_freep(&planes[0]);
        av_freep(&planes);
        if (got < 0)
            fail(tr("The source's audio can't be converted for FLAC."));
        drain(false);
    }

    // Encodes whole frames from the FIFO; at the end the rest too, and flushes the encoder.
    void drain(bool atEnd) {
        const int frameSize = enc_->frame_size > 0 ? enc_->frame_size : 4096;
        while (av_audio_fifo_size(fifo_.get()) >= (atEnd ? 1 : frameSize)) {
            const int samples = std::min(frameSize, av_audio_fifo_size(fifo_.get()));
            const ff::Frame frame(av_frame_alloc());
            if (!frame)
                throw std::bad_alloc();
            frame->nb_samples = samples;
            frame->format = enc_->sample_fmt;
            frame->sample_rate = enc_->sample_rate;
            if (av_channel_layout_copy(&frame->ch_layout, &enc_->ch_layout) < 0 ||
                av_frame_get_buffer(frame.get(), 0) < 0)
                throw std::bad_alloc();
            av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->data), samples);
            frame->pts = writtenSamples_;
            writtenSamples_ += samples;
            encode(frame.get());
        }
        if (atEnd)
            encode(nullptr);
    }

    void encode(const AVFrame* frame) {
        if (const int err = avcodec_send_frame(enc_.get(), frame); err < 0 && err != AVERROR_EOF)
            fail(tr("The FLAC encoder failed: %1").arg(ff::ErrorText(err)));
        for (;;) {
            const int err = avcodec_receive_packet(enc_.get(), packet_.get());
            if (err == AVERROR(EAGAIN) || err == AVERROR_EOF)
                return;
            if (err < 0)
                fail(tr("The FLAC encoder failed: %1").arg(ff::ErrorText(err)));
            packet_->stream_index = 0;
            av_packet_rescale_ts(packet_.get(), enc_->time_base, out_->streams[0]->time_base);
            if (const int written = av_interleaved_write_frame(out_.get(), packet_.get());
                written < 0)
                failWrite(written);
        }
    }

    const ConversionRequest& request_;
    const std::atomic<bool>& cancel_;
    std::atomic<double>& progress_;
    sw::enc::OpenedInput in_;
    sw::enc::TempOutput temp_;
    ff::OutputFormat out_;
    ff::Codec enc_;
    ff::Resampler swr_;
    ff::Fifo fifo_;
    ff::Packet packet_;
    ff::Frame decoded_;
    int64_t decodedSamples_ = 0;
    int64_t writtenSamples_ = 0;
};

}  // namespace

FlacRun::FlacRun(ConversionRequest request, sw::enc::CpuPriority priority,
                 std::function<void(const ConversionOutcome&)> finished)
    : request_(std::move(request)),
      priority_(priority),
      finished_(std::move(finished)),
      thread_([this] { execute(); }) {}

FlacRun::~FlacRun() {
    requestStop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void FlacRun::execute() {
    sw::enc::ApplyToCurrentThread(priority_);
    ConversionOutcome outcome;
    try {
        FlacPipeline pipeline(request_, cancel_, progress_);
        outcome = pipeline.run() ? ConversionOutcome{ConversionOutcome::Kind::Done, {}}
                                 : ConversionOutcome{ConversionOutcome::Kind::Stopped, {}};
    } catch (const Failure& failure) {
        outcome = {ConversionOutcome::Kind::Failed, failure.reason};
    } catch (const std::bad_alloc&) {
        outcome = {ConversionOutcome::Kind::Failed, tr("Out of memory.")};
    }
    finished_(outcome);
}
