#include "encoder/transcode.h"

#include "encoder/audio_converter.h"
#include "encoder/encode_stage.h"
#include "encoder/error.h"
#include "encoder/ffmpeg_handles.h"
#include "encoder/input_probe.h"
#include "encoder/wma_codec.h"

#include <QCoreApplication>
#include <algorithm>
#include <memory>
#include <optional>

namespace sw::enc {

namespace {

[[noreturn]] void FailWrite(int err) {
    Fail(ErrorCode::OutputNotWritable,
         QCoreApplication::translate("Encoder", "The output file could not be written: %1")
             .arg(ff::ErrorText(err)));
}

class Pipeline {
public:
    Pipeline(const TranscodeJob& job, const std::atomic<bool>& cancel, std::atomic<int>& percent)
        : job_(job), cancel_(cancel), percent_(percent) {}
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;
    ~Pipeline() = default;

    int chunks() const { return chunks_; }
    CpuPriority priority() const { return static_cast<CpuPriority>(lowestPriority_.load()); }

    // Decoding and conversion run on this thread, encoding and writing on the stage's own
    // threads; the stage holds a bounded amount, so memory does not grow with the source.
    RunOutcome run() {
        applyPriority();
        openInput();
        openOutput();
        const std::unique_ptr<EncodeStage> stage = makeStage();
        converter_.emplace(
            enc_->ch_layout, enc_->sample_rate,
            [&stage](uint8_t* const* planes, int samples) { stage->push(planes, samples); });
        bool finished = false;
        std::optional<Error> decodeFailure;
        try {
            finished = decodeAll();
            if (finished)
                converter_->flush();
        } catch (const Error& failure) {
            decodeFailure = failure;
        } catch (const std::bad_alloc&) {
            decodeFailure = Error(ErrorCode::OutOfMemory,
                                  QCoreApplication::translate("Encoder", "Out of memory."));
        }
        // The stage's own failure comes first; an error without a code is the stage's stop or
        // failure seen from this side.
        const bool written = stage->finish(finished && !decodeFailure);
        chunks_ = stage->chunks();
        if (decodeFailure && !(decodeFailure->code() == ErrorCode::None))
            throw *decodeFailure;
        if (!written)
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
            Fail(ErrorCode::SourceUnreadable,
                 QCoreApplication::translate("Encoder", "The source file cannot be read: %1.")
                     .arg(reason));
        in_ = std::move(*input);
        packet_.reset(av_packet_alloc());
        decoded_.reset(av_frame_alloc());
        if (!packet_ || !decoded_)
            Fail(ErrorCode::OutOfMemory, QCoreApplication::translate("Encoder", "Out of memory."));
    }

    void openOutput() {
        AVFormatContext* raw = nullptr;
        if (avformat_alloc_output_context2(&raw, nullptr, "asf", nullptr) < 0 || !raw)
            Fail(ErrorCode::EncoderUnavailable,
                 QCoreApplication::translate("Encoder", "This FFmpeg has no ASF writer."));
        out_.reset(raw);
        enc_ = OpenWmaEncoder(job_.audio, out_->oformat->flags & AVFMT_GLOBALHEADER);

        AVStream* stream = avformat_new_stream(out_.get(), nullptr);
        if (!stream || avcodec_parameters_from_context(stream->codecpar, enc_.get()) < 0)
            Fail(ErrorCode::OutOfMemory, QCoreApplication::translate("Encoder", "Out of memory."));
        stream->time_base = enc_->time_base;

        const QByteArray url = FileUrl(job_.output);
        if (const int err = avio_open(&out_->pb, url.constData(), AVIO_FLAG_WRITE); err < 0)
            Fail(ErrorCode::OutputNotWritable,
                 QCoreApplication::translate("Encoder", "The output file could not be created: %1")
                     .arg(ff::ErrorText(err)));
        if (const int err = avformat_write_header(out_.get(), nullptr); err < 0)
            FailWrite(err);
    }

    std::unique_ptr<EncodeStage> makeStage() {
        StageSetup setup;
        setup.audio = job_.audio;
        setup.encoder = enc_.get();
        setup.output = out_.get();
        setup.frameSize = enc_->frame_size > 0 ? enc_->frame_size : 2048;
        setup.cancel = &cancel_;
        setup.written = [this](int64_t samples) { reportProgress(samples); };
        setup.threadStarted = [this] { applyPriority(); };
        const int64_t samples = av_rescale(in_.durationUs, job_.audio.sampleRate, AV_TIME_BASE);
        const bool tooShort =
            in_.durationUs > 0 && samples < ChunkedMinimumSamples(setup.frameSize);
        if (job_.encoderThreads < 2 || tooShort || !ChunkingIsExact(job_.audio))
            return MakeSerialStage(setup);
        return MakeChunkedStage(setup, job_.encoderThreads);
    }

    void applyPriority() {
        const int got = static_cast<int>(ApplyToCurrentThread(job_.priority));
        int lowest = lowestPriority_.load();
        while (got < lowest && !lowestPriority_.compare_exchange_weak(lowest, got)) {
        }
    }

    // The share of the source's duration whose packets are written.
    void reportProgress(int64_t samples) {
        if (in_.durationUs <= 0)
            return;
        const int64_t writtenUs = av_rescale(samples, AV_TIME_BASE, job_.audio.sampleRate);
        percent_.store(static_cast<int>(std::min<int64_t>(100, writtenUs * 100 / in_.durationUs)),
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
                Fail(ErrorCode::SourceUnreadable,
                     QCoreApplication::translate("Encoder", "The source file could not be read: %1")
                         .arg(ff::ErrorText(err)));
            if (packet_->stream_index == in_.streamIndex) {
                const int sent = avcodec_send_packet(in_.decoder.get(), packet_.get());
                // A damaged packet is skipped, as players do; the length check at the end
                // catches a source that lost its audio.
                if (sent < 0 && sent != AVERROR_INVALIDDATA && sent != AVERROR(EAGAIN))
                    Fail(ErrorCode::EncodeFailed,
                         QCoreApplication::translate("Encoder",
                                                     "The source file could not be decoded: %1")
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
                Fail(ErrorCode::EncodeFailed,
                     QCoreApplication::translate("Encoder",
                                                 "The source file could not be decoded: %1")
                         .arg(ff::ErrorText(err)));
            decodedSamples_ += decoded_->nb_samples;
            decodedUs_ += av_rescale(decoded_->nb_samples, AV_TIME_BASE, decoded_->sample_rate);
            converter_->convert(*decoded_);
            av_frame_unref(decoded_.get());
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

    // A source that ends well before the length its header announces was cut short: what
    // decoded is kept, and the run says how much of the source that was.
    void checkComplete() {
        if (decodedSamples_ == 0)
            Fail(ErrorCode::SourceUnreadable,
                 QCoreApplication::translate(
                     "Encoder", "The source file is damaged: it holds no audio that decodes."));
        if (!in_.durationFromHeader)
            return;
        const int64_t tolerance = std::max<int64_t>(250000, in_.durationUs / 50);
        // Less than half a second of a longer source is nothing a listener would call audio.
        if (decodedUs_ + tolerance < in_.durationUs && decodedUs_ < AV_TIME_BASE / 2)
            Fail(ErrorCode::SourceUnreadable,
                 QCoreApplication::translate(
                     "Encoder", "The source file is damaged: it holds no audio that decodes."));
        if (decodedUs_ + tolerance < in_.durationUs)
            damage_ = Error(ErrorCode::SourceDamaged,
                            QCoreApplication::translate("Encoder", "source damaged: %1 of %2 s")
                                .arg(qRound64(static_cast<double>(decodedUs_) / AV_TIME_BASE))
                                .arg(qRound64(static_cast<double>(in_.durationUs) / AV_TIME_BASE)));
    }

public:
    const Error& damage() const { return damage_; }

private:
    const TranscodeJob& job_;
    const std::atomic<bool>& cancel_;
    std::atomic<int>& percent_;

    OpenedInput in_;
    ff::OutputFormat out_;
    ff::Codec enc_;  // gives the stream its parameters; the serial stage encodes with it
    std::optional<AudioConverter> converter_;
    ff::Frame decoded_;
    ff::Packet packet_;
    int64_t decodedSamples_ = 0;
    int64_t decodedUs_ = 0;
    Error damage_;
    int chunks_ = 0;
    std::atomic<int> lowestPriority_{static_cast<int>(job_.priority)};
};

}  // namespace

TranscodeResult Transcode(const TranscodeJob& job, const std::atomic<bool>& cancel,
                          std::atomic<int>& percent) {
    Pipeline pipeline(job, cancel, percent);
    try {
        const RunOutcome outcome = pipeline.run();
        return TranscodeResult{
            outcome, {}, pipeline.chunks(), pipeline.priority(), pipeline.damage()};
    } catch (const Error& failure) {
        return TranscodeResult{RunOutcome::Failed, failure, 0, pipeline.priority(), {}};
    } catch (const std::bad_alloc&) {
        return TranscodeResult{
            RunOutcome::Failed,
            Error(ErrorCode::OutOfMemory, QCoreApplication::translate("Encoder", "Out of memory.")),
            0,
            pipeline.priority(),
            {}};
    }
}

}  // namespace sw::enc
