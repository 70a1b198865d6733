#include "core/fs/file_status.h"

#include "common/unique_fd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString normalPath(const QString& path) {
    QString unified = path;
    unified.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(QFileInfo(unified).absoluteFilePath());
}

}  // namespace

bool isDirectory(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<int64_t> regularFileSize(const QString& path) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    // O_NONBLOCK keeps a FIFO from hanging the open.
    const sw::UniqueFd fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return static_cast<int64_t>(info.st_size);
}

int64_t fileSizeBytes(const QString& path) {
    return regularFileSize(path).value_or(0);
}

bool isSameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) {
        return false;
    }
    const QString left = normalPath(a);
    const QString right = normalPath(b);
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(left).constData(), &sa) == 0 &&
        ::stat(QFile::encodeName(right).constData(), &sb) == 0) {
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }
    return left == right;
}
