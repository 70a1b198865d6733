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

    QTimer& timerPendingJobs() { return timer_; }
    // allowStart false adds the jobs without starting a conversion (used while closing).
    void flushPending(bool allowStart = true);
    // True when a job was added.
    bool addJob(const QString& source, bool allowStart = true);

    // The local path a handed-in text names: a plain path as it is, a file URI of this machine
    // decoded byte for byte (common/file_uri.h), any other URI as it is.
    static QString localPath(const QString& handedIn);
    // The target of a quick job for source, as the table of formats derives it (by name, else
    // by content), or empty text for a path that is dropped.
    static QString targetFor(const QString& source, const AppSettingsRecord& settings,
                             QString* profile);

private:
    void startIfAutoStart();

    PendingJobs& pending_;
    JobStore& jobs_;
    ConversionDriver& driver_;
    const AppSettingsRecord& settings_;
    QTimer timer_;
};
