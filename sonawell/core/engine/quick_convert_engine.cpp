#include "core/engine/quick_convert_engine.h"

#include "common/bus_names.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

QuickConvertEngine::QuickConvertEngine(PendingJobs& pending, QObject* parent)
    : QObject(parent), pending_(pending) {}

bool QuickConvertEngine::registerOnSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    // The interface is named here rather than by class info, so that it too comes from the one
    // header of names.
    bus.registerObject(QLatin1String(sw::bus::kObjectPath), QLatin1String(sw::bus::kInterface),
                       this, QDBusConnection::ExportAllSlots);
    bus.registerService(QLatin1String(sw::bus::kServiceName));
    return true;
}

void QuickConvertEngine::unregisterFromSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    bus.unregisterService(QLatin1String(sw::bus::kServiceName));
    bus.unregisterObject(QLatin1String(sw::bus::kObjectPath));
}

void QuickConvertEngine::AddJobs(const QString& strFileName) {
    pending_.add(strFileName);
}
