#include "core/engine/conversion_driver.h"

#include "core/engine/error_boundary.h"
#include "core/engine/tag_copy.h"
#include "core/settings/app_settings.h"
#include "core/settings/common.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

using sw::enc::RunState;

ConversionDriver::ConversionDriver(sw::enc::Encoder& encoder, JobStore& jobs, UserPrompt& prompt,
                                   QObject* parent)
    : QObject(parent), encoder_(encoder), jobs_(jobs), prompt_(prompt) {
    timer1_.setInterval(500);
    connect(&timer1_, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connect(&encoder_, &sw::enc::Encoder::stateChanged, this,
            &ConversionDriver::wmaEncoder_OnStateChange);
}

ConversionDriver::~ConversionDriver() {
    RemoveTempFiles();
}

void ConversionDriver::Start() {
    if (!canStart()) {
        return;
    }
    haltAfterDecode_ = false;
    auto refresh = qScopeGuard([this] { UpdateCommandStatus(); });
    try {
        bConverting_ = ConvertFile(nCurrentJob_);
    } catch (...) {
        bConverting_ = false;
        timer1_.stop();
        throw;
    }
}

void ConversionDriver::Stop() {
    // A run started here may not have notified anything yet, so the encoder's last state can
    // still read "ended" while the run goes on.
    const bool runUnderWay =
        (bConverting_ && !decoding_) || encoder_.runState() != RunState::Stopped;
    bConverting_ = false;
    timer1_.stop();
    if (decoding_) {
        haltAfterDecode_ = true;
    } else if (nCurrentJob_ <= jobs_.count() &&
               jobs_.at(nCurrentJob_).state == JobState::Converting) {
        jobs_.setState(nCurrentJob_, JobState::Stopped);
    }
    if (runUnderWay) {
        // Its end notification must not finish the job that a later Start sets up.
        stopPending_ = true;
    }
    encoder_.stop();
    UpdateCommandStatus();
}

bool ConversionDriver::ConvertFile(int nIndex) {
    ++settingUp_;
    auto done = qScopeGuard([this] { --settingUp_; });
    // Jobs that end without an encoding run are finished in this loop rather than by nested
    // calls, so a long row of them can't exhaust the stack.
    for (nCurrentJob_ = nIndex;;) {
        timer1_.stop();
        switch (StartJob(nCurrentJob_)) {
            case JobStart::EncodingStarted:
                return true;
            case JobStart::Refused:
                return false;
            case JobStart::Finished:
                break;
        }
        ++nCurrentJob_;
        UpdateCommandStatus();
        if (haltAfterDecode_ || nCurrentJob_ > jobs_.count()) {
            return false;
        }
    }
}

ConversionDriver::JobStart ConversionDriver::StartJob(int nIndex) {
    // A copy: the question below lets events run, and jobs added meanwhile move the records.
    const Job job = jobs_.at(nIndex);
    const QString source = job.source;
    const QString output = job.output;
    if (IsSameFile(source, output)) {
        FailJob(nIndex, QStringLiteral("The output file is the source file itself; it was not "
                                       "converted so that it is not overwritten."));
        return JobStart::Finished;
    }
    if (!AppSettings.OverwriteExist && QFileInfo::exists(output)) {
        const QString question =
            QStringLiteral("The file %1 already exists.\nDo you want to replace it?").arg(output);
        if (!prompt_.askYesNo(question)) {
            jobs_.setState(nIndex, JobState::Skipped,
                           QStringLiteral("Not converted: %1 already exists.").arg(output));
            return JobStart::Finished;
        }
    }
    if (job.profile == kWaveProfile) {
        ConvertToWaveFile(nIndex);
        return JobStart::Finished;
    }
    return ConvertToWMAFile(nIndex) ? JobStart::EncodingStarted : JobStart::Refused;
}

void ConversionDriver::SetPercent(const QString& strText) {
    jobs_.setProgress(nCurrentJob_, strText);
}

void ConversionDriver::Timer1_Timer() {
    // The encoder's own progress text, the same the monitoring page shows; empty when no run
    // is under way.
    SetPercent(encoder_.progressText().left(255));
}

void ConversionDriver::wmaEncoder_OnStateChange(int32_t enumState) {
    if (enumState == static_cast<int32_t>(RunState::Stopped) && stopPending_) {
        stopPending_ = false;
        RemoveTempFiles();
    } else if (enumState == static_cast<int32_t>(RunState::Stopped) && bConverting_ && !decoding_ &&
               settingUp_ == 0) {
        const int n = nCurrentJob_;
        RemoveTempFiles();
        if (encoder_.lastOutcome() == sw::enc::RunOutcome::Completed) {
            FinishJob(n);
            const Job job = jobs_.at(n);
            copyTagToWmaFile(job.source, job.output);
            ClearSourceCollection();
            DeleteSourceIfDone(n);
        } else {
            FailJob(n, encoder_.lastError());
            ClearSourceCollection();
        }
        nCurrentJob_ = n + 1;
        const bool more = nCurrentJob_ <= jobs_.count();
        bConverting_ = false;
        if (more) {
            RunGuarded(prompt_, [this] { bConverting_ = ConvertFile(nCurrentJob_); });
        }
        if (!bConverting_) {
            timer1_.stop();
        }
    }
    UpdateCommandStatus();
}

void ConversionDriver::FinishJob(int nIndex) {
    jobs_.setState(nIndex, JobState::Done);
    jobs_.measureOutput(nIndex);
}

void ConversionDriver::FailJob(int nIndex, const QString& reason) {
    jobs_.setState(nIndex, JobState::Failed, reason);
    jobs_.measureOutput(nIndex);
}

void ConversionDriver::DeleteSourceIfDone(int nIndex) {
    // Only a source whose output really exists is given up.
    const Job& job = jobs_.at(nIndex);
    if (AppSettings.DeleteSource && GetFileSizeBytes(job.output) > 0) {
        QFile::remove(job.source);
    }
}

void ConversionDriver::RemoveTempFiles() {
    for (const QString& path : std::as_const(tempFiles_)) {
        QFile::remove(path);
    }
    tempFiles_.clear();
}
