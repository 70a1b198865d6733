#pragma once

#include "cli/batch_listener.h"
#include "cli/batch_plan.h"
#include "cli/stand_in.h"
#include "encoder/thread_priority.h"

#include <QObject>

#include <memory>
#include <vector>

class ConversionRunner;
struct ConversionOutcome;
namespace sw::enc {
class Encoder;
}

struct RunSettings {
    // 0: the rule of job_slots.h.
    int jobs = 0;
    bool deleteSource = false;
    sw::enc::CpuPriority priority = sw::enc::CpuPriority::Normal;
};

// Works a planned batch with several runners at once, each with an encoder of its own, all
// driven from this thread's event loop. Outputs are written by the engine, which puts a file at
// its name only when it is complete.
class BatchRun : public QObject {
    Q_OBJECT
public:
    // Raises sw::Error when an encoder can't be made.
    BatchRun(std::vector<PlannedJob> jobs, const RunSettings& settings, BatchListener& listener,
             QObject* parent = nullptr);
    ~BatchRun() override;

    void start();
    // Ends the running conversions and starts no more; finished() follows once they have ended.
    void interrupt();
    const BatchSummary& summary() const { return summary_; }

Q_SIGNALS:
    void finished();

private:
    struct Lane;

    void startWhatFits();
    bool startJob(Lane& lane, PlannedJob& job);
    void onLaneFinished(Lane& lane, const ConversionOutcome& outcome);
    void settle(PlannedJob& job);
    int busyLanes() const;
    void finishIfIdle();

    std::vector<PlannedJob> jobs_;
    RunSettings settings_;
    BatchListener& listener_;
    std::vector<std::unique_ptr<Lane>> lanes_;
    StandIns standIns_;
    size_t next_ = 0;
    bool interrupted_ = false;
    bool finishedSent_ = false;
    BatchSummary summary_;
};
