#include "core/fs/path_text.h"

namespace {

bool isSeparator(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

}  // namespace

QString extractFileName(const QString& path) {
    for (qsizetype i = path.size() - 2; i >= 0; --i) {
        if (isSeparator(path.at(i))) {
            return path.mid(i + 1);
        }
    }
    return path;
}

QString stripTrailingSeparator(const QString& path) {
    if (!path.isEmpty() && isSeparator(path.back())) {
        return path.left(path.size() - 1);
    }
    return path;
}

QString fileExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : path.mid(dot + 1);
}
