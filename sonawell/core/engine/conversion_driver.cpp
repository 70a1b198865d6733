#include "core/engine/conversion_driver.h"

#include "core/engine/error_boundary.h"
#include "core/engine/tag_copy.h"
#include "core/engine/wave_job.h"
#include "core/fs/file_status.h"
#include "core/fs/source_check.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

using sw::enc::RunState;

ConversionDriver::ConversionDriver(sw::enc::Encoder& encoder, JobStore& jobs, UserPrompt& prompt,
                                   const AppSettingsRecord& settings, QObject* parent)
    : QObject(parent),
      encoder_(encoder),
      jobs_(jobs),
      prompt_(prompt),
      settings_(settings),
      wma_(encoder) {
    statusPoll_.setInterval(500);
    // The encoder's own progress text, the same the monitoring page shows; empty when no run
    // is under way.
    connect(&statusPoll_, &QTimer::timeout, this,
            [this] { setProgress(encoder_.progressText().left(255)); });
    connect(&encoder_, &sw::enc::Encoder::stateChanged, this,
            &ConversionDriver::onEncoderStateChanged);
}

void ConversionDriver::start() {
    if (!canStart()) {
        return;
    }
    haltAfterDecode_ = false;
    auto refresh = qScopeGuard([this] { refreshCommands(); });
    try {
        converting_ = startFrom(currentJob_);
    } catch (...) {
        converting_ = false;
        statusPoll_.stop();
        throw;
    }
}

void ConversionDriver::stop() {
    // A run started here may not have notified anything yet, so the encoder's last state can
    // still read "ended" while the run goes on.
    const bool runUnderWay =
        (converting_ && !decoding_) || encoder_.runState() != RunState::Stopped;
    converting_ = false;
    statusPoll_.stop();
    if (decoding_) {
        haltAfterDecode_ = true;
    } else if (currentJob_ <= jobs_.count() &&
               jobs_.at(currentJob_).state == JobState::Converting) {
        jobs_.setState(currentJob_, JobState::Stopped);
    }
    if (runUnderWay) {
        // Its end notification must not finish the job that a later start() sets up.
        stopPending_ = true;
    }
    encoder_.stop();
    refreshCommands();
}

bool ConversionDriver::startFrom(int row) {
    ++settingUp_;
    auto done = qScopeGuard([this] { --settingUp_; });
    // Jobs that end without an encoding run are finished in this loop rather than by nested
    // calls, so a long row of them can't exhaust the stack.
    for (currentJob_ = row;;) {
        statusPoll_.stop();
        switch (startJob(currentJob_)) {
            case JobStart::EncodingStarted:
                return true;
            case JobStart::Finished:
                break;
        }
        ++currentJob_;
        refreshCommands();
        if (currentJob_ > jobs_.count()) {
            overwriteAll_.reset();
            return false;
        }
        if (haltAfterDecode_) {
            return false;
        }
    }
}

ConversionDriver::JobStart ConversionDriver::startJob(int row) {
    // A copy: the question below lets events run, and jobs added meanwhile move the records.
    const Job job = jobs_.at(row);
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
    if (job.profile == kWaveProfile) {
        decodeToWave(row);
        return JobStart::Finished;
    }
    if (const QString refused = wma_.start(job); !refused.isEmpty()) {
        failJob(row, refused);
        return JobStart::Finished;
    }
    statusPoll_.start();
    jobs_.setState(row, JobState::Converting);
    return JobStart::EncodingStarted;
}

void ConversionDriver::decodeToWave(int row) {
    const Job job = jobs_.at(row);
    jobs_.setState(row, JobState::Converting);
    converting_ = true;
    decoding_ = true;
    refreshCommands();
    WaveJob wave([this](const QString& text) { setProgress(text); });
    const WaveJob::Outcome outcome = wave.run(job.source, job.output);
    decoding_ = false;
    converting_ = false;
    if (outcome.decoded) {
        copyTagToWaveFile(job.source, job.output);
    }
    if (outcome.damaged) {
        // What decodes is kept, but a damaged source is never deleted.
        jobs_.setState(row, JobState::DoneDamaged, outcome.note);
        jobs_.measureOutput(row);
    } else if (outcome.decoded) {
        finishJob(row);
        deleteSourceIfDone(row);
    } else {
        failJob(row, outcome.note);
    }
    Q_EMIT decodeEnded();
}

void ConversionDriver::setProgress(const QString& text) {
    jobs_.setProgress(currentJob_, text);
}

void ConversionDriver::onEncoderStateChanged(int32_t state) {
    const bool ended = state == static_cast<int32_t>(RunState::Stopped);
    if (ended && stopPending_) {
        stopPending_ = false;
        wma_.removeTempFiles();
    } else if (ended && converting_ && !decoding_ && settingUp_ == 0) {
        const int row = currentJob_;
        wma_.removeTempFiles();
        if (encoder_.lastOutcome() == sw::enc::RunOutcome::Completed) {
            // A completed run's error text is its damage note: a source cut short had what
            // decoded encoded ("source damaged: 36 of 60 s").
            const QString damage = encoder_.lastError();
            if (damage.isEmpty()) {
                finishJob(row);
            } else {
                // What decodes is kept, but a damaged source is never deleted.
                jobs_.setState(row, JobState::DoneDamaged, damage);
                jobs_.measureOutput(row);
            }
            const Job job = jobs_.at(row);
            copyTagToWmaFile(job.source, job.output);
            wma_.clearSources();
            deleteSourceIfDone(row);
        } else {
            failJob(row, encoder_.lastError());
            wma_.clearSources();
        }
        currentJob_ = row + 1;
        const bool more = currentJob_ <= jobs_.count();
        if (!more) {
            overwriteAll_.reset();
        }
        converting_ = false;
        if (more) {
            runGuarded(prompt_, [this] { converting_ = startFrom(currentJob_); });
        }
        if (!converting_) {
            statusPoll_.stop();
        }
    }
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
        QFile::remove(job.source);
    }
}
