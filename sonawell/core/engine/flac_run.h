#pragma once

#include "core/engine/conversion.h"
#include "encoder/thread_priority.h"

#include <QString>

#include <atomic>
#include <functional>
#include <thread>

// Decodes one source (a WMA) and encodes it losslessly to a tagged FLAC file on a thread of its
// own, with FFmpeg's FLAC encoder. The file is written unnamed (or hidden) beside the output,
// tagged there, and only then put at the output name; a stopped or failed run leaves nothing.
class FlacRun {
public:
    // `finished` is called once, on the run's thread, at the very end.
    FlacRun(ConversionRequest request, sw::enc::CpuPriority priority,
            std::function<void(const ConversionOutcome&)> finished);
    FlacRun(const FlacRun&) = delete;
    FlacRun& operator=(const FlacRun&) = delete;
    ~FlacRun();  // stops the run and waits for its thread

    void requestStop() { cancel_.store(true); }
    // The share of the source decoded so far, 0..1.
    double progress() const { return progress_.load(std::memory_order_relaxed); }

private:
    void execute();

    const ConversionRequest request_;
    const sw::enc::CpuPriority priority_;
    const std::function<void(const ConversionOutcome&)> finished_;
    std::atomic<bool> cancel_{false};
    std::atomic<double> progress_{0};
    std::thread thread_;  // last: starts once everything above exists
};
