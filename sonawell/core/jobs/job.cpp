#include "core/jobs/job.h"

namespace {

QString failedText(const QString& reason) {
    constexpr int kMaxReason = 60;
    QString shortReason = reason.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (shortReason.isEmpty()) {
        shortReason = QStringLiteral("unknown error");
    }
    if (shortReason.size() > kMaxReason) {
        shortReason = shortReason.left(kMaxReason - 3) + QStringLiteral("...");
    }
    return QStringLiteral("Failed: ") + shortReason;
}

}  // namespace

QString statusText(const Job& job) {
    switch (job.state) {
        case JobState::Done:
        case JobState::DoneDamaged:
            return QStringLiteral("100%");
        case JobState::Failed:
            return failedText(job.failureReason);
        case JobState::Skipped:
            return QStringLiteral("Skipped");
        case JobState::Waiting:
        case JobState::Converting:
        case JobState::Stopped:
            break;
    }
    return job.progress;
}

QString statusToolTip(const Job& job) {
    return job.state == JobState::Failed || job.state == JobState::Skipped ? job.failureReason
                                                                           : QString();
}
