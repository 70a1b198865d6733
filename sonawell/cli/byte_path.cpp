#include "cli/byte_path.h"

#include <QFile>

#include <sys/stat.h>

QString pathText(const QByteArray& path) {
    return QFile::decodeName(path);
}

bool isExactText(const QByteArray& path) {
    return QFile::encodeName(QFile::decodeName(path)) == path;
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        return QByteArrayLiteral(".");
    }
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray fileNameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray joinPath(const QByteArray& folder, const QByteArray& name) {
    if (folder.isEmpty()) {
        return name;
    }
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

bool pathExists(const QByteArray& path) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0;
}
