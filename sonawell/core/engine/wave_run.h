#pragma once

#include "core/engine/conversion.h"
#include "encoder/thread_priority.h"

#include <QString>

#include <atomic>
#include <functional>
#include <thread>

// Decodes one WMA source to a tagged WAVE file on a thread of its own. The output name is
// untouched until the file is complete and tagged; a stopped run leaves nothing behind.
class WaveRun {
public:
    // `finished` is called once, on the run's thread, at the very end.
    WaveRun(ConversionRequest request, sw::enc::CpuPriority priority,
            std::function<void(const ConversionOutcome&)> finished);
    WaveRun(const WaveRun&) = delete;
    WaveRun& operator=(const WaveRun&) = delete;
    ~WaveRun();  // stops the run and waits for its thread

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
