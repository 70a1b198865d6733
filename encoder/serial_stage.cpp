#include "encoder/encode_stage.h"
#include "encoder/error.h"
#include "encoder/wma_codec.h"

#include <QCoreApplication>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace sw::enc {

namespace {

// Encoder frames the FIFO between decoding and encoding holds at most.
constexpr int kFifoFrames = 16;

class SerialStage final : public EncodeStage {
public:
    explicit SerialStage(const StageSetup& setup) : setup_(setup) {
        const int channels = setup_.audio.channels;
        fifo_.reset(
            av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, channels, setup_.frameSize * kFifoFrames));
        frame_.reset(av_frame_alloc());
        packet_.reset(av_packet_alloc());
        if (!fifo_ || !frame_ || !packet_)
            Fail(ErrorCode::OutOfMemory, QCoreApplication::translate("Encoder", "Out of memory."));
        frame_->format = AV_SAMPLE_FMT_FLTP;
        frame_->sample_rate = setup_.audio.sampleRate;
        frame_->nb_samples = setup_.frameSize;
        if (av_channel_layout_copy(&frame_->ch_layout, &setup_.encoder->ch_layout) < 0 ||
            av_frame_get_buffer(frame_.get(), 0) < 0)
            Fail(ErrorCode::OutOfMemory, QCoreApplication::translate("Encoder", "Out of memory."));
        thread_ = std::thread([this] { encodeLoop(); });
    }
    SerialStage(const SerialStage&) = delete;
    SerialStage& operator=(const SerialStage&) = delete;
    ~SerialStage() override { finish(false); }

    void push(uint8_t* const* planes, int samples) override {
        if (samples <= 0)
            return;
        // FFmpeg 5.1 declares the planes non-const; it only reads them.
        void** data = reinterpret_cast<void**>(const_cast<uint8_t**>(planes));
        std::unique_lock lock(mutex_);
        spaceReady_.wait(lock, [this] {
            return abandoned_ || av_audio_fifo_size(fifo_.get()) < kFifoFrames * setup_.frameSize;
        });
        if (abandoned_)
            throw Error();
        if (av_audio_fifo_write(fifo_.get(), data, samples) < samples)
            Fail(ErrorCode::OutOfMemory, QCoreApplication::translate("Encoder", "Out of memory."));
        lock.unlock();
        dataReady_.notify_one();
    }

    bool finish(bool complete) override {
        {
            const std::lock_guard lock(mutex_);
            inputEnded_ = true;
            abandoned_ = abandoned_ || !complete;
        }
        dataReady_.notify_all();
        if (thread_.joinable())
            thread_.join();
        if (failure_)
            throw *failure_;
        return complete;
    }

private:
    void abandon(const Error& failure) {
        {
            const std::lock_guard lock(mutex_);
            failure_ = failure;
            abandoned_ = true;
        }
        spaceReady_.notify_all();
    }

    // Whole encoder frames from the FIFO, at the end the last, shorter one, then the encoder's
    // own tail.
    void encodeLoop() {
        setup_.threadStarted();
        try {
            const int size = setup_.frameSize;
            int64_t nextPts = 0;
            for (;;) {
                {
                    std::unique_lock lock(mutex_);
                    dataReady_.wait(lock, [&] {
                        return abandoned_ || inputEnded_ || av_audio_fifo_size(fifo_.get()) >= size;
                    });
                    if (abandoned_)
                        return;
                    const int samples = std::min(size, av_audio_fifo_size(fifo_.get()));
                    if (samples == 0)
                        break;
                    if (av_frame_make_writable(frame_.get()) < 0)
                        Fail(ErrorCode::OutOfMemory,
                             QCoreApplication::translate("Encoder", "Out of memory."));
                    frame_->nb_samples = samples;
                    av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame_->data),
                                       samples);
                }
                spaceReady_.notify_one();
                frame_->pts = nextPts;
                nextPts += frame_->nb_samples;
                encode(frame_.get());
                setup_.written(nextPts);
            }
            encode(nullptr);
        } catch (const Error& failure) {
            abandon(failure);
        } catch (const std::bad_alloc&) {
            abandon(Error(ErrorCode::OutOfMemory,
                          QCoreApplication::translate("Encoder", "Out of memory.")));
        }
    }

    void encode(const AVFrame* frame) {
        AVFormatContext* output = setup_.output;
        EncodeFrame(setup_.encoder, frame, packet_.get(), [&](AVPacket* packet) {
            packet->stream_index = 0;
            av_packet_rescale_ts(packet, setup_.encoder->time_base, output->streams[0]->time_base);
            if (const int err = av_write_frame(output, packet); err < 0)
                Fail(ErrorCode::OutputNotWritable,
                     QCoreApplication::translate("Encoder",
                                                 "The output file could not be written: %1")
                         .arg(ff::ErrorText(err)));
        });
    }

    const StageSetup setup_;
    ff::Fifo fifo_;
    ff::Frame frame_;
    ff::Packet packet_;
    std::mutex mutex_;  // guards the FIFO, the flags and the failure
    std::condition_variable dataReady_;
    std::condition_variable spaceReady_;
    bool inputEnded_ = false;
    bool abandoned_ = false;  // stopped, or one side failed
    std::optional<Error> failure_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<EncodeStage> MakeSerialStage(const StageSetup& setup) {
    return std::make_unique<SerialStage>(setup);
}

}  // namespace sw::enc
