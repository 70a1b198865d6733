#include "core/engine/quick_convert_engine.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

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

void QuickConvertEngine::unregisterFromSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    bus.unregisterService(kServiceName);
    bus.unregisterObject(kObjectPath);
}

void QuickConvertEngine::AddJobs(const QString& strFileName) {
    pending_.add(strFileName);
}
