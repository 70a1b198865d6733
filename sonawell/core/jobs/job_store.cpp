#include "core/jobs/job_store.h"

#include "core/fs/file_status.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The path a file is reached by, whether it exists or not: absolute, with links and ".." of
// its folder (and of the file itself, when it exists) followed.
QString resolvedPath(const QString& path) {
    const QFileInfo info(path);
    if (const QString canonical = info.canonicalFilePath(); !canonical.isEmpty()) {
        return canonical;
    }
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                            : QDir(folder).filePath(info.fileName());
}

}  // namespace

bool JobStore::outputTaken(const QString& resolved) const {
    if (written_.contains(resolved)) {
        return true;
    }
    for (const Job& job : jobs_) {
        // A job whose output is its own source fails without writing anything.
        if (job.state != JobState::Failed && resolvedPath(job.output) == resolved &&
            !isSameFile(job.source, job.output)) {
            return true;
        }
    }
    return false;
}

QString JobStore::freeOutput(const QString& output) const {
    if (output.isEmpty() || !outputTaken(resolvedPath(output))) {
        return output;
    }
    const QFileInfo info(output);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = output.left(output.size() - suffix.size());
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix);
        // A file already there under the new name is not taken over either.
        if (!outputTaken(resolvedPath(candidate)) && !QFileInfo::exists(candidate)) {
            return candidate;
        }
    }
}

void JobStore::add(const QString& source, const QString& output, const QString& profile) {
    Job job;
    job.source = source;
    job.output = isSameFile(source, output) ? output : freeOutput(output);
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
        // A run that starts (again) shows its own figure from the first moment, not the last one.
        if (state == JobState::Converting) {
            job->progress = QStringLiteral("0%");
        }
        if (state == JobState::Done || state == JobState::DoneDamaged) {
            written_ << resolvedPath(job->output);
        }
        Q_EMIT changed(row);
    }
}

void JobStore::measureOutput(int row) {
    if (Job* job = find(row)) {
        job->outputSize = regularFileSize(job->output);
        Q_EMIT changed(row);
    }
}
