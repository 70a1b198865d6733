#include "encoder/encode_stage.h"
#include "encoder/error.h"
#include "encoder/wma_codec.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace sw::enc {

// Why chunks can be encoded apart: a WMA v2 packet depends only on the samples of its own
// frame and the one before (the MDCT window spans both; nothing else carries over). A fresh
// encoder started one frame before a chunk's first sample therefore makes, from its second
// packet on, the very packets the serial encode makes there. The lead-in frame costs one
// frame of work per chunk.

namespace {

constexpr int kChunkFrames = 64;     // about 3 s of audio; lead-in overhead 1/64
constexpr int kChunksPerWorker = 3;  // chunks queued, encoding or waiting to be written
constexpr auto kStopPoll = std::chrono::milliseconds(10);

struct Chunk {
    int64_t start = 0;  // stream position of the first sample whose packets the chunk keeps
    int leadIn = 0;     // samples before `start`, there only to prime the encoder
    int samples = 0;    // held, lead-in included
    bool last = false;  // drains the encoder after its frames, as the serial encode does at the end
    std::vector<float> data;  // planar, channel c from c * capacity
    std::vector<ff::Packet> packets;
    bool taken = false;
    bool done = false;
};

class ChunkedStage final : public EncodeStage {
public:
    ChunkedStage(const StageSetup& setup, int workers)
        : setup_(setup),
          channels_(setup.audio.channels),
          capacity_((kChunkFrames + 1) * setup.frameSize),
          maxInFlight_(std::max(1, workers) * kChunksPerWorker) {
        filling_ = newChunk(0, 0);
        try {
            for (int i = 0; i < std::max(1, workers); ++i)
                workers_.emplace_back([this] { work(); });
            writer_ = std::thread([this] { write(); });
        } catch (const std::system_error&) {
            stopThreads();
            Fail(
                ErrorCode::EncoderUnavailable,
                QCoreApplication::translate("Encoder", "The encoder could not start its threads."));
        }
    }
    ChunkedStage(const ChunkedStage&) = delete;
    ChunkedStage& operator=(const ChunkedStage&) = delete;
    ~ChunkedStage() override { stopThreads(); }

    void push(uint8_t* const* planes, int samples) override {
        for (int offset = 0; offset < samples;) {
            const int count = std::min(capacity_ - filling_->samples, samples - offset);
            for (int c = 0; c < channels_; ++c)
                std::memcpy(plane(*filling_, c) + filling_->samples,
                            reinterpret_cast<const float*>(planes[c]) + offset,
                            sizeof(float) * static_cast<size_t>(count));
            filling_->samples += count;
            offset += count;
            if (filling_->samples == capacity_)
                submitFilling();
        }
    }

    bool finish(bool complete) override {
        if (complete && filling_ && filling_->samples > filling_->leadIn) {
            filling_->last = true;
            try {
                submit(std::move(filling_));
            } catch (const Error&) {
                complete = false;  // a worker failed or the run was stopped: told below
            }
        }
        {
            const std::lock_guard lock(mutex_);
            inputEnded_ = true;
            abandoned_ = abandoned_ || !complete;
        }
        workReady_.notify_all();
        chunkDone_.notify_all();
        joinThreads();
        if (failure_)
            throw *failure_;
        return complete && !setup_.cancel->load();
    }

    int chunks() const override { return submitted_; }

private:
    float* plane(Chunk& chunk, int channel) const {
        return chunk.data.data() + static_cast<size_t>(channel) * static_cast<size_t>(capacity_);
    }

    std::unique_ptr<Chunk> newChunk(int64_t start, int leadIn) {
        auto chunk = std::make_unique<Chunk>();
        chunk->start = start;
        chunk->leadIn = leadIn;
        {
            const std::lock_guard lock(mutex_);
            if (!spare_.empty()) {
                chunk->data = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        chunk->data.resize(static_cast<size_t>(channels_) * static_cast<size_t>(capacity_));
        return chunk;
    }

    // The full chunk goes to the workers; the next one starts with its last frame as lead-in.
    void submitFilling() {
        const int lead = setup_.frameSize;
        std::unique_ptr<Chunk> next =
            newChunk(filling_->start + filling_->samples - filling_->leadIn, lead);
        for (int c = 0; c < channels_; ++c)
            std::memcpy(plane(*next, c), plane(*filling_, c) + capacity_ - lead,
                        sizeof(float) * static_cast<size_t>(lead));
        next->samples = lead;
        submit(std::move(filling_));
        filling_ = std::move(next);
    }

    void submit(std::unique_ptr<Chunk> chunk) {
        std::unique_lock lock(mutex_);
        while (!stopping() && static_cast<int>(queue_.size()) >= maxInFlight_)
            spaceReady_.wait_for(lock, kStopPoll);
        if (stopping())
            throw Error();  // finish() reports the worker's reason, or the stop
        queue_.push_back(std::move(chunk));
        ++submitted_;
        lock.unlock();
        workReady_.notify_one();
    }

    // Called with the mutex held.
    bool stopping() const { return abandoned_ || setup_.cancel->load(std::memory_order_relaxed); }

    void fail(const Error& failure) {
        {
            const std::lock_guard lock(mutex_);
            if (!failure_ && !abandoned_)
                failure_ = failure;
            abandoned_ = true;
        }
        workReady_.notify_all();
        chunkDone_.notify_all();
        spaceReady_.notify_all();
    }

    void stopThreads() {
        {
            const std::lock_guard lock(mutex_);
            abandoned_ = true;
        }
        workReady_.notify_all();
        chunkDone_.notify_all();
        spaceReady_.notify_all();
        joinThreads();
    }

    void joinThreads() {
        for (std::thread& worker : workers_)
            if (worker.joinable())
                worker.join();
        if (writer_.joinable())
            writer_.join();
    }

    template <typename Body>
    void guarded(Body&& body) {
        try {
            body();
        } catch (const Error& failure) {
            fail(failure);
        } catch (const std::bad_alloc&) {
            fail(Error(ErrorCode::OutOfMemory,
                       QCoreApplication::translate("Encoder", "Out of memory.")));
        }
    }

    void work() {
        setup_.threadStarted();
        guarded([this] {
            ff::Frame frame(av_frame_alloc());
            ff::Packet packet(av_packet_alloc());
            if (!frame || !packet)
                Fail(ErrorCode::OutOfMemory,
                     QCoreApplication::translate("Encoder", "Out of memory."));
            frame->format = AV_SAMPLE_FMT_FLTP;
            frame->sample_rate = setup_.audio.sampleRate;
            frame->nb_samples = setup_.frameSize;
            if (av_channel_layout_copy(&frame->ch_layout, &setup_.encoder->ch_layout) < 0 ||
                av_frame_get_buffer(frame.get(), 0) < 0)
                Fail(ErrorCode::OutOfMemory,
                     QCoreApplication::translate("Encoder", "Out of memory."));
            while (Chunk* chunk = takeChunk()) {
                if (!encode(*chunk, frame.get(), packet.get()))
                    return;
                {
                    const std::lock_guard lock(mutex_);
                    chunk->done = true;
                }
                chunkDone_.notify_all();
            }
        });
    }

    // The oldest chunk no worker has taken; nullptr when the stage ends.
    Chunk* takeChunk() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (stopping())
                return nullptr;
            for (const std::unique_ptr<Chunk>& chunk : queue_) {
                if (!chunk->taken) {
                    chunk->taken = true;
                    return chunk.get();
                }
            }
            if (inputEnded_)
                return nullptr;
            workReady_.wait_for(lock, kStopPoll);
        }
    }

    // False when the run was stopped meanwhile.
    bool encode(Chunk& chunk, AVFrame* frame, AVPacket* packet) {
        const bool globalHeader = setup_.encoder->flags & AV_CODEC_FLAG_GLOBAL_HEADER;
        const ff::Codec codec = OpenWmaEncoder(setup_.audio, globalHeader);
        const int size = setup_.frameSize;
        for (int at = 0; at < chunk.samples; at += size) {
            if (setup_.cancel->load(std::memory_order_relaxed))
                return false;
            const int count = std::min(size, chunk.samples - at);
            if (av_frame_make_writable(frame) < 0)
                Fail(ErrorCode::OutOfMemory,
                     QCoreApplication::translate("Encoder", "Out of memory."));
            frame->nb_samples = count;
            for (int c = 0; c < channels_; ++c)
                std::memcpy(frame->extended_data[c], plane(chunk, c) + at,
                            sizeof(float) * static_cast<size_t>(count));
            frame->pts = chunk.start - chunk.leadIn + at;
            const bool leadIn = at < chunk.leadIn;
            EncodeFrame(codec.get(), frame, packet, [&](AVPacket* made) {
                if (leadIn)
                    return;
                ff::Packet kept(av_packet_alloc());
                if (!kept)
                    Fail(ErrorCode::OutOfMemory,
                         QCoreApplication::translate("Encoder", "Out of memory."));
                av_packet_move_ref(kept.get(), made);
                chunk.packets.push_back(std::move(kept));
            });
        }
        if (chunk.last) {
            EncodeFrame(codec.get(), nullptr, packet, [&](AVPacket* made) {
                ff::Packet kept(av_packet_alloc());
                if (!kept)
                    Fail(ErrorCode::OutOfMemory,
                         QCoreApplication::translate("Encoder", "Out of memory."));
                av_packet_move_ref(kept.get(), made);
                chunk.packets.push_back(std::move(kept));
            });
        }
        return true;
    }

    // Writes the chunks' packets in stream order as they are done.
    void write() {
        setup_.threadStarted();
        guarded([this] {
            AVFormatContext* output = setup_.output;
            const AVRational from = setup_.encoder->time_base;
            const AVRational to = output->streams[0]->time_base;
            while (std::unique_ptr<Chunk> chunk = nextDone()) {
                for (const ff::Packet& packet : chunk->packets) {
                    packet->stream_index = 0;
                    av_packet_rescale_ts(packet.get(), from, to);
                    if (const int err = av_write_frame(output, packet.get()); err < 0)
                        Fail(ErrorCode::OutputNotWritable,
                             QCoreApplication::translate("Encoder",
                                                         "The output file could not be written: %1")
                                 .arg(ff::ErrorText(err)));
                }
                setup_.written(chunk->start + chunk->samples - chunk->leadIn);
                const std::lock_guard lock(mutex_);
                spare_.push_back(std::move(chunk->data));
            }
        });
    }

    // The next chunk in stream order once it is encoded; nullptr when the stage ends.
    std::unique_ptr<Chunk> nextDone() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (stopping())
                return nullptr;
            if (!queue_.empty() && queue_.front()->done)
                break;
            if (queue_.empty() && inputEnded_)
                return nullptr;
            chunkDone_.wait_for(lock, kStopPoll);
        }
        std::unique_ptr<Chunk> chunk = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        spaceReady_.notify_all();
        return chunk;
    }

    const StageSetup setup_;
    const int channels_;
    const int capacity_;  // samples a chunk holds, lead-in included
    const int maxInFlight_;
    std::unique_ptr<Chunk> filling_;  // the decoding thread's, until submitted
    int submitted_ = 0;

    std::mutex mutex_;  // guards what follows
    std::condition_variable workReady_;
    std::condition_variable chunkDone_;
    std::condition_variable spaceReady_;
    std::deque<std::unique_ptr<Chunk>> queue_;  // submitted and not yet written, in order
    std::vector<std::vector<float>> spare_;     // sample buffers of written chunks, for reuse
    bool inputEnded_ = false;
    bool abandoned_ = false;  // stopped, or one thread failed
    std::optional<Error> failure_;

    std::vector<std::thread> workers_;
    std::thread writer_;
};

}  // namespace

std::unique_ptr<EncodeStage> MakeChunkedStage(const StageSetup& setup, int workers) {
    return std::make_unique<ChunkedStage>(setup, workers);
}

int64_t ChunkedMinimumSamples(int frameSize) {
    return 2 * int64_t{kChunkFrames + 1} * frameSize;
}

bool ChunkingIsExact(const Profile::AudioSettings& audio) {
    // Shown for the built-in audio profiles (the encoder tests compare both ways' packets for
    // each); other settings keep to the serial encode.
    const ProfileCollection profiles;
    for (int i = 0; i < profiles.count(); ++i) {
        const Profile& profile = profiles.item(i);
        const Profile::AudioSettings& known = profile.audio();
        if (known.bitRate == audio.bitRate && known.sampleRate == audio.sampleRate &&
            known.channels == audio.channels)
            return true;
    }
    return false;
}

}  // namespace sw::enc
