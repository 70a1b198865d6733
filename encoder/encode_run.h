#pragma once

#include "encoder/encoder.h"
#include "encoder/transcode.h"

#include <QString>

#include <atomic>
#include <functional>
#include <thread>

namespace sw::enc {

// One encoding run on its own thread: writes a temporary file beside the output and renames it
// into place only when the run completed and was not asked to stop. The callbacks are called on
// the run's thread: `running` once when work begins, `finished` once at the very end.
class EncodeRun {
public:
    struct Callbacks {
        std::function<void()> running;
        // `error` of a completed run is its damage note (no error for a whole source).
        std::function<void(RunOutcome, const Error& error)> finished;
        // Run on the complete output before it is put in place; see EncodeRequest::finishing.
        std::function<void(const QString& path)> finishing;
    };

    EncodeRun(TranscodeJob job, Callbacks callbacks);
    EncodeRun(const EncodeRun&) = delete;
    EncodeRun& operator=(const EncodeRun&) = delete;
    ~EncodeRun();  // asks the run to stop and waits for its thread

    void requestStop() { cancel_.store(true); }
    int percent() const { return percent_.load(std::memory_order_relaxed); }
    // The level the run's threads got; read once the run has finished.
    CpuPriority priority() const { return priority_.load(); }
    void join();

private:
    void execute();

    TranscodeJob job_;
    Callbacks callbacks_;
    std::atomic<bool> cancel_{false};
    std::atomic<int> percent_{0};
    std::atomic<CpuPriority> priority_;
    std::thread thread_;  // last: starts once everything above exists
};

}  // namespace sw::enc
