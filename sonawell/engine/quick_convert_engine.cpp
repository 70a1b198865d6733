#include "engine/quick_convert_engine.h"

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
    pending_.AddPendingJob(strFileName);
}

namespace {
// Exec= of the desktop-entry format, which the bus uses for service files: the argument
// quoted as a shell would read it, then escaped as a string value. The bus ignores a file
// with any other backslash escape, so a path with ", `, $ or \ needs both steps. The bus
// knows no field codes, so "%" stays as it is.
QString QuoteExec(const QString& path) {
    QString quoted;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    QString escaped;
    for (const QChar c : std::as_const(quoted)) {
        switch (c.unicode()) {
            case '\\':
                escaped += QStringLiteral("\\\\");
                break;
            case '\n':
                escaped += QStringLiteral("\\n");
                break;
            case '\t':
                escaped += QStringLiteral("\\t");
                break;
            case '\r':
                escaped += QStringLiteral("\\r");
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}
}  // namespace

bool WriteSessionServiceFile(const QString& executable) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/dbus-1/services");
    if (!QDir().mkpath(folder)) {
        return false;
    }
    const QByteArray content =
        QByteArrayLiteral("[D-BUS Service]\nName=") + QuickConvertEngine::kServiceName.toUtf8() +
        QByteArrayLiteral("\nExec=") + QuoteExec(executable).toUtf8() + QByteArrayLiteral("\n");
    QSaveFile file(folder + QLatin1Char('/') + QuickConvertEngine::kServiceName +
                   QStringLiteral(".service"));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(content);
    return file.commit();
}
