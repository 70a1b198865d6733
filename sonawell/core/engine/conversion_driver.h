#pragma once

#include "core/engine/conversion_runner.h"
#include "core/engine/user_prompt.h"
#include "core/jobs/job_store.h"
#include "core/settings/app_settings.h"
#include "encoder/encoder.h"

#include <QDateTime>
#include <QObject>

#include <optional>

// Works the job list front to back: starts the current job's run, keeps its "Status" live,
// finishes it when its run ends and starts the next one. The runs go on on worker threads;
// this object lives on the UI thread and never waits for them.
class ConversionDriver : public QObject {
    Q_OBJECT
public:
    // `settings` is read as each job starts and ends, so changes count from the next job on.
    ConversionDriver(sw::enc::Encoder& encoder, JobStore& jobs, UserPrompt& prompt,
                     const AppSettingsRecord& settings, QObject* parent = nullptr);

    // 1-based row of the job that runs or is next; count() + 1 once the list is worked off.
    int currentJob() const { return currentJob_; }
    bool isConverting() const { return converting_; }
    bool isDecoding() const { return runner_.isDecoding(); }
    // A run is under way or still ending, or is being set up.
    bool isBusy() const { return runner_.isRunning() || settingUp_ > 0; }
    bool canStart() const { return !converting_ && !isBusy() && currentJob_ <= jobs_.count(); }
    sw::enc::Encoder& encoder() { return encoder_; }
    JobStore& jobs() { return jobs_; }
    const JobStore& jobs() const { return jobs_; }
    UserPrompt& prompt() { return prompt_; }

    // The Start and Stop commands. start() raises sw::Error when a run can't be set up or
    // started; the job then stays current and nothing runs.
    void start();
    void stop();

    // Asks every listener to refresh the commands.
    void refreshCommands() { Q_EMIT commandStatusChanged(); }

Q_SIGNALS:
    void commandStatusChanged();
    // A run has ended, and with it anything a stop left to finish; or jobs that ended without
    // a run have brought the queue to rest.
    void runEnded();
    // The share of the running job's source converted, 0..1.
    void runProgress(double fraction);

private:
    enum class JobStart { RunStarted, Finished, Halted };

    // Starts job `row`; when it ends without a run (skipped or failed, a source that can't be
    // converted failing only its own row) the next job starts from the event loop, so a long
    // row of such jobs never holds up the window. True while the queue goes on.
    bool startFrom(int row);
    void continueQueue(int continuation);
    JobStart startJob(int row);
    void onRunFinished(const ConversionOutcome& outcome);
    void finishJob(int row);
    void failJob(int row, const QString& reason);
    void deleteSourceIfDone(int row);

    sw::enc::Encoder& encoder_;
    JobStore& jobs_;
    UserPrompt& prompt_;
    const AppSettingsRecord& settings_;
    ConversionRunner runner_;
    int currentJob_ = 1;
    // The row whose run is under way; 0 when none is, or it was stopped.
    int runningJob_ = 0;
    bool converting_ = false;
    // Stop was pressed while jobs were being started.
    bool haltRequested_ = false;
    int settingUp_ = 0;
    // Names the one queued continuation that may go on; a stop or a new start retires it.
    int continuation_ = 0;
    // A "Yes to All" or "No to All" to the overwrite question, held until the queue ends.
    std::optional<bool> overwriteAll_;
    // When the current job started: an output older than that is not this job's.
    QDateTime jobStarted_;
};
