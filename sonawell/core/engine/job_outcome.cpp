#include "core/engine/job_outcome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

QString FailedStatusText(const QString& reason) {
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

namespace {
QString NormalPath(const QString& path) {
    QString unified = path;
    unified.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(QFileInfo(unified).absoluteFilePath());
}
}  // namespace

bool IsSameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) {
        return false;
    }
    const QString left = NormalPath(a);
    const QString right = NormalPath(b);
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(left).constData(), &sa) == 0 &&
        ::stat(QFile::encodeName(right).constData(), &sb) == 0) {
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }
    return left == right;
}
