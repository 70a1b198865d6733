#include "core/engine/time_left.h"

#include <algorithm>

void TimeLeft::resume(qint64 nowMs) {
    if (!since_) {
        since_ = nowMs;
    }
}

void TimeLeft::pause(qint64 nowMs) {
    ranMs_ = runMs(nowMs);
    since_.reset();
}

qint64 TimeLeft::runMs(qint64 nowMs) const {
    return ranMs_ + (since_ ? std::max<qint64>(0, nowMs - *since_) : 0);
}

void TimeLeft::runStarted(double seconds, int64_t bytes) {
    running_ = true;
    runSeconds_ = std::max(0.0, seconds);
    runFraction_ = 0;
    if (runSeconds_ > 0 && bytes > 0) {
        knownSeconds_ += runSeconds_;
        knownBytes_ += bytes;
    }
}

void TimeLeft::runProgress(double fraction) {
    if (running_) {
        runFraction_ = std::clamp(fraction, 0.0, 1.0);
    }
}

void TimeLeft::runEnded(bool converted) {
    if (running_ && converted) {
        convertedSeconds_ += runSeconds_;
        ++convertedRuns_;
    }
    running_ = false;
    runSeconds_ = 0;
    runFraction_ = 0;
}

std::optional<double> TimeLeft::secondsLeft(qint64 nowMs, int64_t waitingBytes) const {
    const qint64 ran = runMs(nowMs);
    const double converted = convertedSeconds_ + runFraction_ * runSeconds_;
    if ((ran < kMeasureMs && convertedRuns_ == 0) || ran <= 0 || converted <= 0 ||
        knownBytes_ <= 0) {
        return std::nullopt;
    }
    const double speed = converted / (static_cast<double>(ran) / 1000.0);
    const double waiting = static_cast<double>(std::max<int64_t>(0, waitingBytes)) *
                           (knownSeconds_ / static_cast<double>(knownBytes_));
    const double rest = (1.0 - runFraction_) * runSeconds_ + waiting;
    return rest / speed;
}
