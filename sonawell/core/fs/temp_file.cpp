#include "core/fs/temp_file.h"

#include "common/unique_fd.h"

#include <QFile>

#include <stdlib.h>

QString makeTempFile(const QString& prefix) {
    QString folder = qEnvironmentVariable("TMPDIR");
    if (folder.isEmpty()) {
        folder = QStringLiteral("/tmp");
    }
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) {
        folder.chop(1);
    }
    // The prefix names a file, never a path elsewhere.
    QString safePrefix = prefix;
    safePrefix.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString pattern = (folder == QLatin1String("/") ? QString() : folder) + QLatin1Char('/') +
                            safePrefix + QStringLiteral("XXXXXX");
    QByteArray name = QFile::encodeName(pattern);
    const sw::UniqueFd fd(::mkstemp(name.data()));
    if (fd.get() < 0) {
        return QString();
    }
    return QFile::decodeName(name);
}
