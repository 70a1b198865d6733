#include "core/engine/conversion_driver.h"

#include "common/kill_point.h"
#include "core/engine/error_boundary.h"
#include "core/fs/file_status.h"
#include "core/fs/source_check.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <utility>

namespace {

// An output modified at or after its source was: converted from the source as it is now.
bool isNewerThan(const QString& output, const QString& source) {
    const QFileInfo out(output);
    const QFileInfo in(source);
    return out.isFile() && in.exists() && out.lastModified() >= in.lastModified();
}

}  // namespace

ConversionDriver::ConversionDriver(sw::enc::Encoder& encoder, JobStore& jobs, UserPrompt& prompt,
                                   const AppSettingsRecord& settings, QObject* parent)
    : QObject(parent),
      encoder_(encoder),
      jobs_(jobs),
      prompt_(prompt),
      settings_(settings),
      runner_(encoder) {
    connect(&runner_, &ConversionRunner::progressChanged, this, [this](double fraction) {
        sw::killPoint("progress");
        if (runningJob_ > 0) {
            jobs_.setProgress(runningJob_, progressText(fraction));
            Q_EMIT runProgress(fraction);
        }
    });
    connect(&runner_, &ConversionRunner::finished, this, &ConversionDriver::onRunFinished);
    // Finished rows above the current job may go; the job in hand never does.
    connect(&jobs_, &JobStore::removed, this, [this](int first, int last) {
        const int removed = last - first + 1;
        if (currentJob_ > last) {
            currentJob_ -= removed;
        } else if (currentJob_ > first) {
            currentJob_ = first;
        }
        if (runningJob_ > last) {
            runningJob_ -= removed;
        }
    });
}

void ConversionDriver::start() {
    if (!canStart()) {
        return;
    }
    auto refresh = qScopeGuard([this] { refreshCommands(); });
    haltRequested_ = false;
    ++continuation_;
    try {
        converting_ = startFrom(currentJob_);
    } catch (...) {
        converting_ = false;
        throw;
    }
}

void ConversionDriver::stop() {
    converting_ = false;
    haltRequested_ = true;
    ++continuation_;
    if (runningJob_ > 0 && jobs_.at(runningJob_).state == JobState::Converting) {
        jobs_.setState(runningJob_, JobState::Stopped);
    }
    // The run's end no longer finishes the row: it stays stopped, to be started afresh.
    runningJob_ = 0;
    runner_.stop();
    refreshCommands();
}

bool ConversionDriver::startFrom(int row) {
    ++settingUp_;
    auto done = qScopeGuard([this] { --settingUp_; });
    currentJob_ = row;
    switch (startJob(currentJob_)) {
        case JobStart::RunStarted:
            return true;
        case JobStart::Halted:
            return false;
        case JobStart::Finished:
            break;
    }
    ++currentJob_;
    if (haltRequested_) {
        return false;
    }
    refreshCommands();
    if (currentJob_ > jobs_.count()) {
        overwriteAll_.reset();
        return false;
    }
    QMetaObject::invokeMethod(
        this, [this, continuation = ++continuation_] { continueQueue(continuation); },
        Qt::QueuedConnection);
    return true;
}

void ConversionDriver::continueQueue(int continuation) {
    if (continuation != continuation_ || !converting_) {
        return;
    }
    converting_ = false;
    runGuarded(prompt_, [this] { converting_ = startFrom(currentJob_); });
    if (!converting_) {
        Q_EMIT runEnded();
    }
    refreshCommands();
}

ConversionDriver::JobStart ConversionDriver::startJob(int row) {
    // A copy: the question below lets events run, and jobs added meanwhile move the records.
    const Job job = jobs_.at(row);
    // A path handed in that is not audio (or a folder without any) has no output and keeps
    // the reason it was given.
    if (job.output.isEmpty() && job.state == JobState::Failed) {
        return JobStart::Finished;
    }
    // Whole seconds: some file systems keep coarse modification times.
    jobStarted_ = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
    // Checked before anything opens the source: a FIFO would block the open for good.
    if (const QString problem = sourceFileProblem(job.source); !problem.isEmpty()) {
        failJob(row, problem);
        return JobStart::Finished;
    }
    if (isSameFile(job.source, job.output)) {
        failJob(row, tr("The output file is the source file itself; it was not "
                        "converted so that it is not overwritten."));
        return JobStart::Finished;
    }
    if (settings_.skipConverted && isNewerThan(job.output, job.source)) {
        jobs_.setState(row, JobState::Skipped, alreadyConvertedText());
        return JobStart::Finished;
    }
    if (!settings_.overwriteExist && QFileInfo::exists(job.output)) {
        bool replace = overwriteAll_.value_or(false);
        if (!overwriteAll_) {
            const QString question =
                tr("The file %1 already exists.\nDo you want to replace it?").arg(job.output);
            const UserPrompt::Answer answer = prompt_.askYesNoToAll(question);
            replace = answer == UserPrompt::Answer::Yes || answer == UserPrompt::Answer::YesToAll;
            if (answer == UserPrompt::Answer::YesToAll || answer == UserPrompt::Answer::NoToAll) {
                overwriteAll_ = replace;
            }
        }
        if (!replace) {
            jobs_.setState(row, JobState::Skipped,
                           tr("Not converted: %1 already exists.").arg(job.output));
            return JobStart::Finished;
        }
    }
    // The row shows its run before the run exists: a listener that lets events run when the
    // row changes can't see the run end before this call has returned.
    runningJob_ = row;
    jobs_.setState(row, JobState::Converting);
    if (runningJob_ == 0) {
        return JobStart::Halted;  // stopped by a listener of that change
    }
    QString refused;
    try {
        refused = runner_.start({job.source, job.output, job.profile});
    } catch (...) {
        // runningJob_ follows rows above it that went while events ran.
        jobs_.setState(std::exchange(runningJob_, 0), JobState::Waiting);
        throw;
    }
    if (!refused.isEmpty()) {
        failJob(std::exchange(runningJob_, 0), refused);
        return JobStart::Finished;
    }
    return JobStart::RunStarted;
}

void ConversionDriver::onRunFinished(const ConversionOutcome& outcome) {
    const int row = std::exchange(runningJob_, 0);
    if (row > 0) {
        switch (outcome.kind) {
            case ConversionOutcome::Kind::Done:
                finishJob(row);
                deleteSourceIfDone(row);
                break;
            case ConversionOutcome::Kind::DoneDamaged:
                // What decodes is kept, but a damaged source is never deleted.
                jobs_.setState(row, JobState::DoneDamaged, outcome.text);
                jobs_.measureOutput(row);
                break;
            case ConversionOutcome::Kind::Failed:
                failJob(row, outcome.text);
                break;
            case ConversionOutcome::Kind::Stopped:
                jobs_.setState(row, JobState::Stopped);
                break;
        }
        currentJob_ = row + 1;
        if (currentJob_ > jobs_.count()) {
            overwriteAll_.reset();
        }
    }
    if (converting_ && row > 0 && currentJob_ <= jobs_.count()) {
        converting_ = false;
        haltRequested_ = false;
        runGuarded(prompt_, [this] { converting_ = startFrom(currentJob_); });
    } else {
        converting_ = false;
    }
    Q_EMIT runEnded();
    refreshCommands();
}

void ConversionDriver::finishJob(int row) {
    jobs_.setState(row, JobState::Done);
    jobs_.measureOutput(row);
}

void ConversionDriver::failJob(int row, const QString& reason) {
    jobs_.setState(row, JobState::Failed, reason);
    jobs_.measureOutput(row);
}

void ConversionDriver::deleteSourceIfDone(int row) {
    // Only a source whose output this job has written, and which is not empty, is given up.
    const Job& job = jobs_.at(row);
    if (settings_.deleteSource && job.state == JobState::Done && fileSizeBytes(job.output) > 0 &&
        QFileInfo(job.output).lastModified() >= jobStarted_) {
        sw::killPoint("delete-source");
        QFile::remove(job.source);
        sw::killPoint("source-deleted");
    }
}
