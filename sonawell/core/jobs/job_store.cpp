#include "core/jobs/job_store.h"

#include "core/fs/file_status.h"
#include "core/jobs/resolved_path.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace {

// The states in which a job may still write its output. A done job's name is held by the file
// it wrote, a failed job writes nothing.
bool mayWrite(JobState state) {
    return state != JobState::Failed && state != JobState::Done && state != JobState::DoneDamaged;
}

}  // namespace

JobStore::JobStore(QObject* parent) : JobStore(resolvedPath, parent) {}

JobStore::JobStore(PathResolver resolve, QObject* parent)
    : QObject(parent), resolve_(std::move(resolve)) {}

bool JobStore::outputTaken(const QString& resolved) const {
    // Only a file that is still there: the user may have deleted what this run wrote.
    return held_.contains(resolved) || (written_.contains(resolved) && QFileInfo::exists(resolved));
}

QString JobStore::freeOutput(const QString& output, Claim& claim) {
    const QString asked = resolve_(output);
    claim.resolved = asked;
    if (!outputTaken(asked)) {
        return output;
    }
    const QFileInfo info(output);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = output.left(output.size() - suffix.size());
    const auto tryNumber = [&](int n) -> std::optional<QString> {
        // One pass over the pattern: a "%1" in the name itself stays as it is.
        QString candidate = QStringLiteral("%1 (%2)%3").arg(stem, QString::number(n), suffix);
        const QString resolved = resolve_(candidate);
        // A file already there under the new name is not taken over either.
        if (outputTaken(resolved) || QFileInfo::exists(candidate)) {
            return std::nullopt;
        }
        claim.asked = asked;
        claim.number = n;
        claim.resolved = resolved;
        return candidate;
    };
    Numbering& numbering = numbering_[asked];
    while (!numbering.returned.empty()) {
        const int n = *numbering.returned.begin();
        numbering.returned.erase(numbering.returned.begin());
        if (auto candidate = tryNumber(n)) {
            return *candidate;
        }
    }
    for (;; ++numbering.next) {
        if (auto candidate = tryNumber(numbering.next)) {
            ++numbering.next;
            return *candidate;
        }
    }
}

void JobStore::updateHold(Claim& claim, JobState state) {
    const bool holds = !claim.ownSource && !claim.resolved.isEmpty() && mayWrite(state);
    if (holds == claim.holds) {
        return;
    }
    claim.holds = holds;
    if (holds) {
        ++held_[claim.resolved];
        return;
    }
    if (const auto it = held_.find(claim.resolved); it != held_.end() && --*it == 0) {
        held_.erase(it);
    }
    // A failed or removed job gives its number back; a done one keeps it while its file is there.
    if (claim.number > 0 && state == JobState::Failed) {
        numbering_[claim.asked].returned.insert(claim.number);
    }
}

void JobStore::add(const QString& source, const QString& output, const QString& profile) {
    Job job;
    Claim claim;
    job.source = source;
    claim.ownSource = isSameFile(source, output);
    if (claim.ownSource || output.isEmpty()) {
        job.output = output;
    } else {
        job.output = freeOutput(output, claim);
    }
    job.profile = profile;
    job.sourceSize = regularFileSize(source);
    updateHold(claim, job.state);
    const int row = count() + 1;
    Q_EMIT aboutToAdd(row);
    jobs_.push_back(std::move(job));
    claims_.push_back(std::move(claim));
    Q_EMIT added(row);
}

void JobStore::removeRange(int first, int last) {
    first = std::max(first, 1);
    last = std::min(last, count());
    if (first > last) {
        return;
    }
    Q_EMIT aboutToRemove(first, last);
    for (int row = first; row <= last; ++row) {
        // Removed as if failed: it will never write its output.
        updateHold(claims_[static_cast<size_t>(row - 1)], JobState::Failed);
    }
    jobs_.erase(jobs_.begin() + (first - 1), jobs_.begin() + last);
    claims_.erase(claims_.begin() + (first - 1), claims_.begin() + last);
    Q_EMIT removed(first, last);
}

void JobStore::move(int from, int to) {
    if (from == to || !find(from) || !find(to)) {
        return;
    }
    Q_EMIT aboutToMove(from, to);
    const auto shift = [from, to](auto& items) {
        const auto at = [&items](int row) { return items.begin() + (row - 1); };
        if (from < to) {
            std::rotate(at(from), at(from) + 1, at(to) + 1);
        } else {
            std::rotate(at(to), at(from), at(from) + 1);
        }
    };
    shift(jobs_);
    shift(claims_);
    Q_EMIT moved(from, to);
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
        Claim& claim = claims_[static_cast<size_t>(row - 1)];
        job->state = state;
        job->failureReason = failureReason;
        // A run that starts (again) shows its own figure from the first moment, not the last one.
        if (state == JobState::Converting) {
            job->progress = QStringLiteral("0%");
        }
        if ((state == JobState::Done || state == JobState::DoneDamaged) &&
            !claim.resolved.isEmpty()) {
            written_.insert(claim.resolved);
        }
        updateHold(claim, state);
        Q_EMIT changed(row);
    }
}

void JobStore::measureOutput(int row) {
    if (Job* job = find(row)) {
        job->outputSize = regularFileSize(job->output);
        Q_EMIT changed(row);
    }
}
