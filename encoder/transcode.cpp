#include "encoder/transcode.h"

#include "encoder/audio_converter.h"
#include "encoder/ffmpeg_handles.h"
#include "encoder/input_probe.h"
#include "encoder/run_failure.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace sw::enc {

namespace {

// Encoder frames the FIFO between the two stages holds at most.
constexpr int kFifoFrames = 16;

[[noreturn]] void FailWrite(int err) {
    FailRun(QStringLiteral("The output file could not be written: %1").arg(ff::ErrorText(err)));
}

class Pipeline {
public:
    Pipeline(const TranscodeJob& job, const std::atomic<bool>& cancel, std::atomic<int>& percent)
        : job_(job), cancel_(cancel), percent_(percent) {}
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;
    ~Pipeline() = default;

    // Decoding and resampling run on this thread, encoding and writing on a second one; the
    // FIFO between them holds a few encoder frames, so memory does not grow with the source.
    RunOutcome run() {
        openInput();
        openOutput();
        bool finished = false;
        std::optional<RunFailure> decodeFailure;
        std::thread encoder([this] { encodeLoop(); });
        try {
            finished = decodeAll();
            if (finished)
                converter_->flush();
        } catch (const RunFailure& failure) {
            decodeFailure = failure;
        } catch (const std::bad_alloc&) {
            decodeFailure = RunFailure{QStringLiteral("Out of memory.")};
        }
        {
            const std::lock_guard lock(fifoMutex_);
            decodingDone_ = true;
            abandoned_ = abandoned_ || !finished || decodeFailure.has_value();
        }
        dataReady_.notify_all();
        encoder.join();
        if (encodeFailure_)
            throw *encodeFailure_;
        if (decodeFailure)
            throw *decodeFailure;
        if (!finished)
            return RunOutcome::Stopped;
        finishOutput();
        checkComplete();
        return RunOutcome::Completed;
    }

private:
    void openInput() {
        QString reason;
        std::optional<OpenedInput> input = OpenInput(job_.input, job_.demuxer, &reason);
        if (!input)
            FailRun(QStringLiteral("The source file cannot be read: %1.").arg(reason));
        in_ = std::move(*input);
        packet_.reset(av_packet_alloc());
        decoded_.reset(av_frame_alloc());
        encoded_.reset(av_packet_alloc());
        if (!packet_ || !decoded_ || !encoded_)
            FailRun(QStringLiteral("Out of memory."));
    }

    void openOutput() {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
        if (!codec)
            FailRun(QStringLiteral("This FFmpeg has no WMA v2 encoder."));
        AVFormatContext* raw = nullptr;
        if (avformat_alloc_output_context2(&raw, nullptr, "asf", nullptr) < 0 || !raw)
            FailRun(QStringLiteral("This FFmpeg has no ASF writer."));
        out_.reset(raw);

        enc_.reset(avcodec_alloc_context3(codec));
        if (!enc_)
            FailRun(QStringLiteral("Out of memory."));
        enc_->sample_fmt = AV_SAMPLE_FMT_FLTP;
        enc_->sample_rate = job_.audio.sampleRate;
        av_channel_layout_default(&enc_->ch_layout, job_.audio.channels);
        enc_->bit_rate = job_.audio.bitRate;
        enc_->time_base = AVRational{1, job_.audio.sampleRate};
        if (out_->oformat->flags & AVFMT_GLOBALHEADER)
            enc_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (const int err = avcodec_open2(enc_.get(), codec, nullptr); err < 0)
            FailRun(QStringLiteral("The WMA encoder refused the profile's settings: %1")
                        .arg(ff::ErrorText(err)));

        AVStream* stream = avformat_new_stream(out_.get(), nullptr);
        if (!stream || avcodec_parameters_from_context(stream->codecpar, enc_.get()) < 0)
            FailRun(QStringLiteral("Out of memory."));
        stream->time_base = enc_->time_base;

        const QByteArray url = FileUrl(job_.output);
        if (const int err = avio_open(&out_->pb, url.constData(), AVIO_FLAG_WRITE); err < 0)
            FailRun(
                QStringLiteral("The output file could not be created: %1").arg(ff::ErrorText(err)));
        if (const int err = avformat_write_header(out_.get(), nullptr); err < 0)
            FailWrite(err);

        // Read by both stages, so kept apart from the codec context the encoding side uses.
        frameSize_ = enc_->frame_size > 0 ? enc_->frame_size : 2048;
        fifo_.reset(
            av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, job_.audio.channels, frameSize_ * kFifoFrames));
        frame_.reset(av_frame_alloc());
        if (!fifo_ || !frame_)
            FailRun(QStringLiteral("Out of memory."));
        converter_.emplace(
            enc_->ch_layout, enc_->sample_rate,
            [this](uint8_t* const* planes, int samples) { writeFifo(planes, samples); });
        frame_->format = AV_SAMPLE_FMT_FLTP;
        frame_->sample_rate = enc_->sample_rate;
        frame_->nb_samples = frameSize();
        if (av_channel_layout_copy(&frame_->ch_layout, &enc_->ch_layout) < 0 ||
            av_frame_get_buffer(frame_.get(), 0) < 0)
            FailRun(QStringLiteral("Out of memory."));
    }

    int frameSize() const { return frameSize_; }

    // The share of the source's duration that has gone through the encoder.
    void reportProgress() {
        if (in_.durationUs <= 0)
            return;
        const int64_t encodedUs = av_rescale(nextPts_, AV_TIME_BASE, enc_->sample_rate);
        percent_.store(static_cast<int>(std::min<int64_t>(100, encodedUs * 100 / in_.durationUs)),
                       std::memory_order_relaxed);
    }

    // False when the run was stopped.
    bool decodeAll() {
        AVFormatContext* format = in_.format.get();
        for (;;) {
            if (cancel_.load(std::memory_order_relaxed))
                return false;
            const int err = av_read_frame(format, packet_.get());
            if (err == AVERROR_EOF)
                break;
            if (err < 0)
                FailRun(QStringLiteral("The source file could not be read: %1")
                            .arg(ff::ErrorText(err)));
            if (packet_->stream_index == in_.streamIndex) {
                const int sent = avcodec_send_packet(in_.decoder.get(), packet_.get());
                // A damaged packet is skipped, as players do; the length check at the end
                // catches a source that lost its audio.
                if (sent < 0 && sent != AVERROR_INVALIDDATA && sent != AVERROR(EAGAIN))
                    FailRun(QStringLiteral("The source file could not be decoded: %1")
                                .arg(ff::ErrorText(sent)));
                receiveDecoded();
            }
            av_packet_unref(packet_.get());
        }
        avcodec_send_packet(in_.decoder.get(), nullptr);
        receiveDecoded();
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
                FailRun(QStringLiteral("The source file could not be decoded: %1")
                            .arg(ff::ErrorText(err)));
            decodedSamples_ += decoded_->nb_samples;
            decodedUs_ += av_rescale(decoded_->nb_samples, AV_TIME_BASE, decoded_->sample_rate);
            converter_->convert(*decoded_);
            av_frame_unref(decoded_.get());
        }
    }

    void writeFifo(uint8_t* const* planes, int samples) {
        if (samples <= 0)
            return;
        // FFmpeg 5.1 declares the planes non-const; it only reads them.
        void** data = reinterpret_cast<void**>(const_cast<uint8_t**>(planes));
        std::unique_lock lock(fifoMutex_);
        spaceReady_.wait(lock, [this] {
            return abandoned_ || av_audio_fifo_size(fifo_.get()) < kFifoFrames * frameSize();
        });
        if (abandoned_)
            throw RunFailure{};  // the encoding side failed; its reason is the one reported
        if (av_audio_fifo_write(fifo_.get(), data, samples) < samples)
            FailRun(QStringLiteral("Out of memory."));
        lock.unlock();
        dataReady_.notify_one();
    }

    // The encoding side: whole encoder frames from the FIFO, at the end the last, shorter one,
    // then the encoder's own tail.
    void abandon(const RunFailure& failure) {
        {
            const std::lock_guard lock(fifoMutex_);
            encodeFailure_ = failure;
            abandoned_ = true;
        }
        spaceReady_.notify_all();
    }

    void encodeLoop() {
        try {
            const int size = frameSize();
            for (;;) {
                {
                    std::unique_lock lock(fifoMutex_);
                    dataReady_.wait(lock, [&] {
                        return abandoned_ || decodingDone_ ||
                               av_audio_fifo_size(fifo_.get()) >= size;
                    });
                    if (abandoned_)
                        return;
                    const int samples = std::min(size, av_audio_fifo_size(fifo_.get()));
                    if (samples == 0)
                        break;
                    if (av_frame_make_writable(frame_.get()) < 0)
                        FailRun(QStringLiteral("Out of memory."));
                    frame_->nb_samples = samples;
                    av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame_->data),
                                       samples);
                }
                spaceReady_.notify_one();
                frame_->pts = nextPts_;
                nextPts_ += frame_->nb_samples;
                encodeFrame(frame_.get());
                reportProgress();
            }
            encodeFrame(nullptr);
        } catch (const RunFailure& failure) {
            abandon(failure);
        } catch (const std::bad_alloc&) {
            abandon(RunFailure{QStringLiteral("Out of memory.")});
        }
    }

    void encodeFrame(const AVFrame* frame) {
        if (const int err = avcodec_send_frame(enc_.get(), frame); err < 0)
            FailRun(QStringLiteral("The WMA encoder failed: %1").arg(ff::ErrorText(err)));
        for (;;) {
            const int err = avcodec_receive_packet(enc_.get(), encoded_.get());
            if (err == AVERROR(EAGAIN) || err == AVERROR_EOF)
                return;
            if (err < 0)
                FailRun(QStringLiteral("The WMA encoder failed: %1").arg(ff::ErrorText(err)));
            encoded_->stream_index = 0;
            av_packet_rescale_ts(encoded_.get(), enc_->time_base, out_->streams[0]->time_base);
            if (const int written = av_write_frame(out_.get(), encoded_.get()); written < 0)
                FailWrite(written);
            av_packet_unref(encoded_.get());
        }
    }

    void finishOutput() {
        if (const int err = av_write_trailer(out_.get()); err < 0)
            FailWrite(err);
        avio_flush(out_->pb);
        if (out_->pb->error < 0)
            FailWrite(out_->pb->error);
        if (const int err = avio_closep(&out_->pb); err < 0)
            FailWrite(err);
    }

    // A source that ends well before the length its header announces was cut short.
    void checkComplete() const {
        if (decodedSamples_ == 0)
            FailRun(QStringLiteral("The source file is damaged: it holds no audio that decodes."));
        if (!in_.durationFromHeader)
            return;
        const int64_t tolerance = std::max<int64_t>(250000, in_.durationUs / 50);
        if (decodedUs_ + tolerance < in_.durationUs)
            FailRun(QStringLiteral("The source file is truncated or damaged: its audio ends after "
                                   "%1 s of %2 s.")
                        .arg(static_cast<double>(decodedUs_) / AV_TIME_BASE, 0, 'f', 1)
                        .arg(static_cast<double>(in_.durationUs) / AV_TIME_BASE, 0, 'f', 1));
    }

    const TranscodeJob& job_;
    const std::atomic<bool>& cancel_;
    std::atomic<int>& percent_;

    OpenedInput in_;
    ff::OutputFormat out_;
    ff::Codec enc_;
    std::optional<AudioConverter> converter_;
    ff::Fifo fifo_;
    std::mutex fifoMutex_;  // guards the FIFO and the three flags below
    std::condition_variable dataReady_;
    std::condition_variable spaceReady_;
    bool decodingDone_ = false;
    bool abandoned_ = false;  // stopped, or one side failed
    std::optional<RunFailure> encodeFailure_;
    ff::Frame decoded_;
    ff::Frame frame_;
    ff::Packet packet_;
    ff::Packet encoded_;
    int frameSize_ = 0;
    int64_t nextPts_ = 0;  // encoding side only
    int64_t decodedSamples_ = 0;
    int64_t decodedUs_ = 0;
};

}  // namespace

TranscodeResult Transcode(const TranscodeJob& job, const std::atomic<bool>& cancel,
                          std::atomic<int>& percent) {
    try {
        Pipeline pipeline(job, cancel, percent);
        return TranscodeResult{pipeline.run(), {}};
    } catch (const RunFailure& failure) {
        return TranscodeResult{RunOutcome::Failed, failure.reason};
    } catch (const std::bad_alloc&) {
        return TranscodeResult{RunOutcome::Failed, QStringLiteral("Out of memory.")};
    }
}

}  // namespace sw::enc
