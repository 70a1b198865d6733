#include "core/jobs/job.h"

#include <QCoreApplication>

namespace {

QString failedText(const QString& reason) {
    constexpr int kMaxReason = 60;
    QString shortReason = reason.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (shortReason.isEmpty()) {
        shortReason = QCoreApplication::translate("Job", "unknown error");
    }
    if (shortReason.size() > kMaxReason) {
        shortReason = shortReason.left(kMaxReason - 3) + QStringLiteral("...");
    }
    return QCoreApplication::translate("Job", "Failed: %1").arg(shortReason);
}

}  // namespace

QString alreadyConvertedText() {
    return QCoreApplication::translate("Job", "already converted");
}

QString statusText(const Job& job) {
    switch (job.state) {
        case JobState::Done:
            return QStringLiteral("100%");
        case JobState::DoneDamaged:
            // The note reads "source damaged: 36 of 60 s".
            return QCoreApplication::translate("Job", "Done, %1")
                .arg(job.failureReason.section(QLatin1Char('\n'), 0, 0));
        case JobState::Stopped:
            return job.progress.isEmpty()
                       ? QCoreApplication::translate("Job", "Stopped")
                       : QCoreApplication::translate("Job", "Stopped (%1)").arg(job.progress);
        case JobState::Failed:
            return failedText(job.failureReason);
        case JobState::Skipped:
            return job.failureReason == alreadyConvertedText()
                       ? QCoreApplication::translate("Job", "Skipped: %1").arg(job.failureReason)
                       : QCoreApplication::translate("Job", "Skipped");
        case JobState::Waiting:
        case JobState::Converting:
            break;
    }
    return job.progress;
}

QString statusToolTip(const Job& job) {
    return job.state == JobState::Failed || job.state == JobState::Skipped ||
                   job.state == JobState::DoneDamaged
               ? job.failureReason
               : QString();
}
