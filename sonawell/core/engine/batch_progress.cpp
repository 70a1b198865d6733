#include "core/engine/batch_progress.h"

#include "core/engine/conversion_driver.h"
#include "core/fs/source_duration.h"

#include <QCoreApplication>

#include <cmath>

QString batchStatusText(const BatchCounts& counts, std::optional<double> secondsLeft) {
    if (counts.total == 0) {
        return {};
    }
    QStringList parts{QCoreApplication::translate("BatchProgress", "%1 of %2 done")
                          .arg(counts.ended)
                          .arg(counts.total)};
    if (counts.failed > 0) {
        parts << QCoreApplication::translate("BatchProgress", "%1 failed").arg(counts.failed);
    }
    if (secondsLeft) {
        const auto minutes = static_cast<qint64>(std::ceil(*secondsLeft / 60.0));
        if (*secondsLeft < 60) {
            parts << QCoreApplication::translate("BatchProgress", "less than a minute left");
        } else if (minutes < 60) {
            parts << QCoreApplication::translate("BatchProgress", "about %1 min left").arg(minutes);
        } else {
            parts << QCoreApplication::translate("BatchProgress", "about %1 h %2 min left")
                         .arg(minutes / 60)
                         .arg(minutes % 60);
        }
    }
    return parts.join(QStringLiteral(" \u00b7 "));
}

BatchProgress::BatchProgress(ConversionDriver& driver, QObject* parent)
    : QObject(parent), driver_(driver) {
    clock_.start();
    gather_.setSingleShot(true);
    gather_.setInterval(kGatherMs);
    connect(&gather_, &QTimer::timeout, this, &BatchProgress::recount);
    connect(&driver_, &ConversionDriver::commandStatusChanged, this,
            &BatchProgress::onCommandStatusChanged);
    connect(&driver_, &ConversionDriver::runProgress, this, [this](double fraction) {
        timeLeft_.runProgress(fraction);
        schedule();
    });
    const JobStore& jobs = driver_.jobs();
    connect(&jobs, &JobStore::changed, this, &BatchProgress::onJobChanged);
    connect(&jobs, &JobStore::added, this, &BatchProgress::schedule);
    connect(&jobs, &JobStore::moved, this, &BatchProgress::schedule);
    connect(&jobs, &JobStore::removed, this, [this](int first, int last) {
        if (runRow_ > last) {
            runRow_ -= last - first + 1;
        }
        schedule();
    });
    recount();
}

double BatchProgress::share() const {
    return counts_.total > 0 ? static_cast<double>(counts_.ended) / counts_.total : 0.0;
}

std::optional<double> BatchProgress::secondsLeft() const {
    return running_ ? timeLeft_.secondsLeft(clock_.elapsed(), waitingBytes_) : std::nullopt;
}

void BatchProgress::onCommandStatusChanged() {
    const bool running = driver_.isConverting() || driver_.isBusy();
    if (running != running_) {
        running_ = running;
        if (running) {
            if (workedOff_) {
                timeLeft_.reset();
            }
            timeLeft_.resume(clock_.elapsed());
        } else {
            timeLeft_.pause(clock_.elapsed());
            workedOff_ = driver_.currentJob() > driver_.jobs().count();
        }
        // Start and end show at once; the title and the task bar follow them.
        recount();
        return;
    }
    schedule();
}

void BatchProgress::onJobChanged(int row) {
    const JobState state = driver_.jobs().at(row).state;
    if (state == JobState::Converting && row != runRow_) {
        if (runRow_ > 0) {
            timeLeft_.runEnded(false);
        }
        runRow_ = row;
        const Job& job = driver_.jobs().at(row);
        timeLeft_.runStarted(sourceDurationSeconds(job.source), job.sourceSize.value_or(0));
    } else if (row == runRow_ && state != JobState::Converting) {
        timeLeft_.runEnded(state == JobState::Done || state == JobState::DoneDamaged);
        runRow_ = 0;
    }
    schedule();
}

void BatchProgress::schedule() {
    if (!gather_.isActive()) {
        gather_.start();
    }
}

void BatchProgress::recount() {
    gather_.stop();
    BatchCounts counts;
    int64_t waiting = 0;
    for (const Job& job : driver_.jobs().jobs()) {
        ++counts.total;
        switch (job.state) {
            case JobState::Failed:
                ++counts.failed;
                ++counts.ended;
                break;
            case JobState::Done:
            case JobState::DoneDamaged:
            case JobState::Skipped:
                ++counts.ended;
                break;
            case JobState::Waiting:
            case JobState::Stopped:
                waiting += job.sourceSize.value_or(0);
                break;
            case JobState::Converting:
                break;
        }
    }
    counts_ = counts;
    waitingBytes_ = waiting;
    Q_EMIT changed();
}
