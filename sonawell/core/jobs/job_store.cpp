#include "core/jobs/job_store.h"

#include "core/settings/common.h"

void JobStore::add(const QString& source, const QString& output, const QString& profile) {
    Job job;
    job.source = source;
    job.output = output;
    job.profile = profile;
    job.sourceSize = regularFileSize(source);
    const int row = count() + 1;
    Q_EMIT aboutToAdd(row);
    jobs_.push_back(std::move(job));
    Q_EMIT added(row);
}

void JobStore::remove(int row) {
    if (!find(row)) {
        return;
    }
    Q_EMIT aboutToRemove(row);
    jobs_.erase(jobs_.begin() + (row - 1));
    Q_EMIT removed(row);
}

Job* JobStore::find(int row) {
    return row >= 1 && row <= count() ? &jobs_[static_cast<size_t>(row - 1)] : nullptr;
}

void JobStore::setProgress(int row, const QString& text) {
    if (Job* job = find(row)) {
        job->progress = text;
        Q_EMIT changed(row);
    }
}

void JobStore::setState(int row, JobState state, const QString& failureReason) {
    if (Job* job = find(row)) {
        job->state = state;
        job->failureReason = failureReason;
        Q_EMIT changed(row);
    }
}

void JobStore::measureOutput(int row) {
    if (Job* job = find(row)) {
        job->outputSize = regularFileSize(job->output);
        Q_EMIT changed(row);
    }
}
