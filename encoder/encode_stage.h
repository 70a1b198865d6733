#pragma once

#include "encoder/encoder.h"
#include "encoder/ffmpeg_handles.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace sw::enc {

// What both kinds of encode stage work with. The output's header is written already; the
// stages write its packets in order.
struct StageSetup {
    Profile::AudioSettings audio;
    AVCodecContext* encoder = nullptr;  // opened; the serial stage encodes with it
    AVFormatContext* output = nullptr;
    int frameSize = 0;
    const std::atomic<bool>* cancel = nullptr;
    // Called with the stream position (in samples) up to which packets are written.
    std::function<void(int64_t samples)> written;
    // Called first on each thread the stage starts.
    std::function<void()> threadStarted;
};

// The stage after decoding and conversion: takes planar float samples at the profile's rate
// and layout in order, encodes them and writes the packets. Throws sw::Error.
class EncodeStage {
public:
    virtual ~EncodeStage() = default;
    // Blocks while the stage holds as much as it may. Throws sw::Error, with no code
    // when the stage itself failed or was stopped (finish() then tells which).
    virtual void push(uint8_t* const* planes, int samples) = 0;
    // With `complete`, encodes and writes what is left; otherwise gives up at once. Waits for
    // the stage's threads and throws the failure of one of them. Returns false when stopped.
    virtual bool finish(bool complete) = 0;
    // Chunks encoded in parallel; 0 for the serial stage.
    virtual int chunks() const { return 0; }
};

// Encodes on one thread of its own, frame after frame: the reference every other way of
// encoding must match byte for byte.
std::unique_ptr<EncodeStage> MakeSerialStage(const StageSetup& setup);

// Cuts the samples into chunks of whole encoder frames that `workers` threads encode at once;
// a writer thread writes their packets in order.
std::unique_ptr<EncodeStage> MakeChunkedStage(const StageSetup& setup, int workers);

// Sources shorter than this (two chunks) leave the chunked stage too little to share out.
int64_t ChunkedMinimumSamples(int frameSize);

// True when a chunked encode gives the same packets as the serial one for these settings.
bool ChunkingIsExact(const Profile::AudioSettings& audio);

}  // namespace sw::enc
