#pragma once

#include "core/engine/conversion_driver.h"
#include "core/engine/pending_jobs.h"
#include "core/jobs/job_store.h"
#include "core/settings/app_settings.h"

#include <QObject>
#include <QTimer>

// Turns handed-in paths into quick-convert jobs with the quick-convert settings.
class QuickConvert : public QObject {
    Q_OBJECT
public:
    // `settings` is read as each path is taken up.
    QuickConvert(PendingJobs& pending, JobStore& jobs, ConversionDriver& driver,
                 const AppSettingsRecord& settings, QObject* parent = nullptr);

    // Takes the pending paths up every half second once the main window is ready, a slice per
    // turn of the event loop, and stops doing so when stopped.
    QTimer& timerPendingJobs() { return timer_; }
    // Turns every pending path into a job now. allowStart false adds the jobs without starting
    // a conversion (used while closing).
    void flushPending(bool allowStart = true);
    // Turns the oldest pending paths into jobs, as many as take kSliceTime (at most
    // kSlicePaths), and starts a conversion when AutoStart asks; true when paths remain.
    bool flushSlice(bool allowStart = true);
    // True when a job was added.
    bool addJob(const QString& source, bool allowStart = true);

    // The local path a handed-in text names: a plain path as it is, a file URI of this machine
    // decoded byte for byte (common/file_uri.h), any other URI as it is.
    static QString localPath(const QString& handedIn);
    // The target of a quick job for source, as the table of formats derives it (by name, else
    // by content), or empty text for a path the table does not take. With a target folder the
    // output goes to `subfolder` below it (the source's folder below a folder handed in) while
    // the settings keep the folder structure.
    static QString targetFor(const QString& source, const AppSettingsRecord& settings,
                             QString* profile, const QString& subfolder = {});

    static constexpr int kSlicePaths = 500;
    static constexpr int kSliceTime = 10;  // ms

private:
    // A job for a handed-in path, without starting or refreshing anything: a file the table
    // does not take, and a folder without audio, get a failed row of their own.
    bool queue(const QString& handedIn);
    void queueFolder(const QString& folder);
    void addFailed(const QString& source, const QString& reason);
    void flushInSlices();
    void startIfAutoStart();

    PendingJobs& pending_;
    JobStore& jobs_;
    ConversionDriver& driver_;
    const AppSettingsRecord& settings_;
    QTimer timer_;
    // The next slice of a long hand-in, once the events that came meanwhile have run.
    QTimer nextSlice_;
};
