#pragma once

#include "core/engine/time_left.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class ConversionDriver;

// How far the job list is: every row counts, and a job has ended once it is done, failed or
// skipped.
struct BatchCounts {
    int total = 0;
    int ended = 0;
    int failed = 0;
    bool operator==(const BatchCounts&) const = default;
};

// "12 of 340 done · 2 failed · about 4 min left"; the failures only when there are any, the
// time left only when told. Empty for an empty list.
QString batchStatusText(const BatchCounts& counts, std::optional<double> secondsLeft);

// Follows the driver through a batch, from leaving rest to coming to rest again, and tells
// what the status bar, the title and the task bar show. Changes are gathered for a moment and
// told once, so a long hand-in or a fast row of short jobs costs a few recounts.
class BatchProgress : public QObject {
    Q_OBJECT
public:
    explicit BatchProgress(ConversionDriver& driver, QObject* parent = nullptr);

    bool running() const { return running_; }
    BatchCounts counts() const { return counts_; }
    // Ended jobs as a share of all, 0..1.
    double share() const;
    // While a batch runs, once the speed measured so far tells it.
    std::optional<double> secondsLeft() const;
    QString statusText() const { return batchStatusText(counts_, secondsLeft()); }

    static constexpr int kGatherMs = 200;

Q_SIGNALS:
    void changed();

private:
    void onCommandStatusChanged();
    void onJobChanged(int row);
    void schedule();
    void recount();

    ConversionDriver& driver_;
    QElapsedTimer clock_;
    TimeLeft timeLeft_;
    QTimer gather_;
    BatchCounts counts_;
    int64_t waitingBytes_ = 0;
    bool running_ = false;
    // The batch before ran the list out: the next one measures afresh.
    bool workedOff_ = true;
    // The row whose run is measured, 0 for none.
    int runRow_ = 0;
};
