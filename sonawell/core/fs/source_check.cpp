#include "core/fs/source_check.h"

#include <QCoreApplication>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

QString sourceFileProblem(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (path.isEmpty() || ::stat(name.constData(), &info) != 0) {
        return QCoreApplication::translate("SourceCheck", "file not found");
    }
    if (!S_ISREG(info.st_mode)) {
        return QCoreApplication::translate("SourceCheck", "not a regular file");
    }
    if (info.st_size == 0) {
        return QCoreApplication::translate("SourceCheck", "empty file");
    }
    if (::access(name.constData(), R_OK) != 0) {
        return QCoreApplication::translate("SourceCheck", "file cannot be read: ") +
               qt_error_string(errno);
    }
    return {};
}
