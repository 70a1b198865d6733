#include "cli/batch_run.h"

#include "cli/byte_path.h"
#include "cli/job_slots.h"
#include "core/engine/conversion_runner.h"
#include "core/fs/file_status.h"
#include "core/fs/source_check.h"
#include "encoder/encoder.h"

#include <QCoreApplication>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

struct BatchRun::Lane {
    std::unique_ptr<sw::enc::Encoder> encoder;
    std::unique_ptr<ConversionRunner> runner;
    PlannedJob* job = nullptr;
    // Runs by itself: the encoder spreads it over every core.
    bool alone = false;
    QByteArray landing;
};

namespace {

QString translate(const char* context, const char* text) {
    return QCoreApplication::translate(context, text);
}

int64_t sizeOf(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode) ? info.st_size : 0;
}

}  // namespace

BatchRun::BatchRun(std::vector<PlannedJob> jobs, const RunSettings& settings,
                   BatchListener& listener, QObject* parent)
    : QObject(parent), jobs_(std::move(jobs)), settings_(settings), listener_(listener) {
    const size_t lanes = static_cast<size_t>(settings_.jobs > 0 ? settings_.jobs : usableCores());
    const size_t waiting =
        static_cast<size_t>(std::count_if(jobs_.begin(), jobs_.end(), [](const PlannedJob& job) {
            return job.state == JobState::Waiting;
        }));
    for (size_t n = 0; n < std::max<size_t>(1, std::min(lanes, waiting)); ++n) {
        auto lane = std::make_unique<Lane>();
        lane->encoder = std::make_unique<sw::enc::Encoder>();
        lane->encoder->setCpuPriority(settings_.priority);
        lane->runner = std::make_unique<ConversionRunner>(*lane->encoder);
        Lane* raw = lane.get();
        connect(raw->runner.get(), &ConversionRunner::progressChanged, this,
                [this, raw](double fraction) {
                    if (raw->job != nullptr) {
                        listener_.progressed(*raw->job, fraction);
                    }
                });
        connect(raw->runner.get(), &ConversionRunner::finished, this,
                [this, raw](const ConversionOutcome& outcome) { onLaneFinished(*raw, outcome); });
        lanes_.push_back(std::move(lane));
    }
}

// The runners go before their encoders: each runner holds its encoder.
BatchRun::~BatchRun() {
    for (auto& lane : lanes_) {
        lane->runner.reset();
    }
}

void BatchRun::start() {
    startWhatFits();
}

void BatchRun::interrupt() {
    interrupted_ = true;
    for (auto& lane : lanes_) {
        if (lane->job != nullptr) {
            lane->runner->stop();
        }
    }
    finishIfIdle();
}

int BatchRun::busyLanes() const {
    return static_cast<int>(std::count_if(lanes_.begin(), lanes_.end(),
                                          [](const auto& lane) { return lane->job != nullptr; }));
}

void BatchRun::startWhatFits() {
    while (!interrupted_ && next_ < jobs_.size()) {
        PlannedJob& job = jobs_[next_];
        if (job.state != JobState::Waiting) {
            ++next_;
            settle(job);
            continue;
        }
        const bool alone = settings_.jobs == 0 && spreadsOverCores(job);
        const int busy = busyLanes();
        const bool aloneRunning = std::any_of(lanes_.begin(), lanes_.end(), [](const auto& lane) {
            return lane->job != nullptr && lane->alone;
        });
        if (aloneRunning || (alone ? busy > 0 : busy >= static_cast<int>(lanes_.size()))) {
            break;
        }
        auto free = std::find_if(lanes_.begin(), lanes_.end(),
                                 [](const auto& lane) { return lane->job == nullptr; });
        ++next_;
        (*free)->alone = alone;
        if (!startJob(**free, job)) {
            settle(job);
        }
    }
    finishIfIdle();
}

bool BatchRun::startJob(Lane& lane, PlannedJob& job) {
    const auto fail = [&](const QString& reason) {
        standIns_.release(job.index);
        job.state = JobState::Failed;
        job.reason = reason;
        return false;
    };
    std::error_code error;
    std::filesystem::create_directories(folderOf(job.output).toStdString(), error);
    if (error) {
        return fail(translate("CommandLine", "The output folder could not be made: %1")
                        .arg(QString::fromLocal8Bit(error.message().c_str())));
    }
    const QString source = standIns_.source(job.source, job.index);
    const StandIns::Output output = standIns_.output(job.output, job.index);
    // Checked before anything opens the source: a FIFO would block the open for good.
    if (const QString problem = sourceFileProblem(source); !problem.isEmpty()) {
        return fail(problem);
    }
    if (isSameFile(source, output.enginePath)) {
        return fail(translate("ConversionDriver",
                              "The output file is the source file itself; it was not "
                              "converted so that it is not overwritten."));
    }
    QString refused;
    try {
        refused = lane.runner->start({source, output.enginePath, job.profile});
    } catch (const sw::Error& startError) {
        refused = startError.text();
    }
    if (!refused.isEmpty()) {
        return fail(refused);
    }
    lane.job = &job;
    lane.landing = output.landing;
    job.state = JobState::Converting;
    listener_.started(job);
    return true;
}

void BatchRun::onLaneFinished(Lane& lane, const ConversionOutcome& outcome) {
    PlannedJob* job = std::exchange(lane.job, nullptr);
    if (job == nullptr) {
        return;
    }
    const bool written = outcome.kind == ConversionOutcome::Kind::Done ||
                         outcome.kind == ConversionOutcome::Kind::DoneDamaged;
    if (written && !lane.landing.isEmpty() &&
        ::rename(lane.landing.constData(), job->output.constData()) != 0) {
        job->state = JobState::Failed;
        job->reason = qt_error_string(errno);
        ::unlink(lane.landing.constData());
    } else {
        switch (outcome.kind) {
            case ConversionOutcome::Kind::Done:
                job->state = JobState::Done;
                // Only a source whose output was written, and is not empty, is given up.
                if (settings_.deleteSource && sizeOf(job->output) > 0) {
                    ::unlink(job->source.constData());
                }
                break;
            case ConversionOutcome::Kind::DoneDamaged:
                job->state = JobState::DoneDamaged;
                job->reason = outcome.text;
                break;
            case ConversionOutcome::Kind::Failed:
                job->state = JobState::Failed;
                job->reason = outcome.text;
                break;
            case ConversionOutcome::Kind::Stopped:
                job->state = JobState::Stopped;
                break;
        }
    }
    standIns_.release(job->index);
    settle(*job);
    startWhatFits();
}

void BatchRun::settle(PlannedJob& job) {
    switch (job.state) {
        case JobState::Done:
            ++summary_.done;
            break;
        case JobState::DoneDamaged:
            ++summary_.damaged;
            break;
        case JobState::Skipped:
            ++summary_.skipped;
            break;
        case JobState::Failed:
            ++summary_.failed;
            break;
        case JobState::Waiting:
        case JobState::Converting:
        case JobState::Stopped:
            ++summary_.undone;
            break;
    }
    listener_.ended(job);
}

void BatchRun::finishIfIdle() {
    if (finishedSent_ || busyLanes() > 0 || (!interrupted_ && next_ < jobs_.size())) {
        return;
    }
    finishedSent_ = true;
    summary_.undone += static_cast<int>(jobs_.size() - next_);
    summary_.interrupted = interrupted_;
    listener_.finished(summary_, jobs_);
    Q_EMIT finished();
}
