#pragma once

#include <QtGlobal>

#include <cstdint>
#include <optional>

// How long the rest of a batch will take at the speed measured so far: seconds of source audio
// converted per second the batch has run. Jobs not yet started are reckoned at the seconds per
// byte of the sources that have, so handing in a list costs no look at each file. Times are
// milliseconds of a steady clock, passed in by the caller.
class TimeLeft {
public:
    // The batch runs from `nowMs` on; what was measured before a pause keeps counting.
    void resume(qint64 nowMs);
    void pause(qint64 nowMs);
    // Forgets everything measured: a new batch.
    void reset() { *this = TimeLeft(); }

    // A run of a source of `seconds` (0 when it does not tell) and `bytes` has started.
    void runStarted(double seconds, int64_t bytes);
    // The share of the running source converted.
    void runProgress(double fraction);
    // The run has ended; `converted` when its whole source counts as done.
    void runEnded(bool converted);

    // Seconds left for the running source's rest and `waitingBytes` of sources not yet
    // started; none until enough has been measured to tell.
    std::optional<double> secondsLeft(qint64 nowMs, int64_t waitingBytes) const;

    // Told once a whole source has been converted, or the batch has run this long.
    static constexpr qint64 kMeasureMs = 3000;

private:
    qint64 runMs(qint64 nowMs) const;

    qint64 ranMs_ = 0;
    std::optional<qint64> since_;
    double convertedSeconds_ = 0;
    int convertedRuns_ = 0;
    double knownSeconds_ = 0;
    int64_t knownBytes_ = 0;
    bool running_ = false;
    double runSeconds_ = 0;
    double runFraction_ = 0;
};
