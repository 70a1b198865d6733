#include "core/engine/quick_convert_engine.h"

#include "common/exec_quoting.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

QuickConvertEngine::QuickConvertEngine(PendingJobs& pending, QObject* parent)
    : QObject(parent), pending_(pending) {}

bool QuickConvertEngine::registerOnSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    bus.registerObject(kObjectPath, this, QDBusConnection::ExportAllSlots);
    bus.registerService(kServiceName);
    return true;
}

void QuickConvertEngine::AddJobs(const QString& strFileName) {
    pending_.add(strFileName);
}

bool WriteSessionServiceFile(const QString& executable) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/dbus-1/services");
    if (!QDir().mkpath(folder)) {
        return false;
    }
    const QByteArray content = QByteArrayLiteral("[D-BUS Service]\nName=") +
                               QuickConvertEngine::kServiceName.toUtf8() +
                               QByteArrayLiteral("\nExec=") +
                               QByteArray::fromStdString(sw::quoteExecArgument(
                                   executable.toStdString(), sw::ExecReader::Bus)) +
                               QByteArrayLiteral("\n");
    QSaveFile file(folder + QLatin1Char('/') + QuickConvertEngine::kServiceName +
                   QStringLiteral(".service"));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(content);
    return file.commit();
}
