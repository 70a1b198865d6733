#include "core/automation/session_service_file.h"

#include "common/bus_names.h"
#include "common/exec_quoting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString kFileName = QLatin1String(sw::bus::kServiceName) + QStringLiteral(".service");

QString userServiceFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/dbus-1/services");
}

QString installedServiceFile(const QStringList& systemFolders) {
    const QString userFolder = QFileInfo(userServiceFolder()).absoluteFilePath();
    for (const QString& folder : systemFolders) {
        const QFileInfo file(QDir(folder).filePath(kFileName));
        if (file.absolutePath() != userFolder && file.isFile()) {
            return file.absoluteFilePath();
        }
    }
    return {};
}

QByteArray serviceText(const QString& executable) {
    return QByteArrayLiteral("[D-BUS Service]\nName=") + sw::bus::kServiceName +
           QByteArrayLiteral("\nExec=") +
           QByteArray::fromStdString(
               sw::quoteExecArgument(executable.toStdString(), sw::ExecReader::Bus)) +
           QByteArrayLiteral("\n");
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

QStringList systemServiceFolders() {
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty()) {
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    }
    QStringList folders;
    for (const QString& dir : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        folders << QDir::cleanPath(dir + QStringLiteral("/dbus-1/services"));
    }
    folders << QStringLiteral("/usr/share/dbus-1/services");
    folders.removeDuplicates();
    return folders;
}

bool updateSessionServiceFile(const QString& executable, const QStringList& systemFolders) {
    const QString userFile = userServiceFolder() + QLatin1Char('/') + kFileName;
    const QString installed = installedServiceFile(systemFolders);
    if (!installed.isEmpty()) {
        if (!QFileInfo::exists(userFile)) {
            return true;
        }
        // Whatever it names, a build folder's program or one since deleted, it would win.
        if (!QFile::remove(userFile)) {
            return false;
        }
        qInfo("Removed %s: the bus starts Sonawell through %s.", qPrintable(userFile),
              qPrintable(installed));
        return true;
    }
    const QByteArray text = serviceText(executable);
    if (readAll(userFile) == text) {
        return true;
    }
    QSaveFile file(userFile);
    if (!QDir().mkpath(userServiceFolder()) || !file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(text);
    return file.commit();
}
