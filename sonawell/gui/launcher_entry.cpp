#include "gui/launcher_entry.h"

#include "core/engine/batch_progress.h"

#include <QDBusMessage>
#include <QGuiApplication>
#include <QVariantMap>

#include <utility>

const QString LauncherEntry::kPath = QStringLiteral("/io/github/sonawell/Sonawell");
const QString LauncherEntry::kInterface = QStringLiteral("com.canonical.Unity.LauncherEntry");

QString LauncherEntry::appUri() {
    QString desktop = QGuiApplication::desktopFileName();
    if (desktop.isEmpty()) {
        desktop = QStringLiteral("io.github.sonawell.Sonawell");
    }
    return QStringLiteral("application://%1.desktop").arg(desktop);
}

LauncherEntry::LauncherEntry(const BatchProgress& progress, QDBusConnection bus, QObject* parent)
    : QObject(parent), progress_(progress), bus_(std::move(bus)) {
    connect(&progress_, &BatchProgress::changed, this, &LauncherEntry::update);
}

void LauncherEntry::update() {
    const bool show = progress_.running() && progress_.counts().total > 0;
    const double share = progress_.share();
    if (show == shown_ && (!show || share == sent_)) {
        return;
    }
    shown_ = show;
    sent_ = show ? share : -1;
    if (!bus_.isConnected()) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("Update"));
    QVariantMap properties;
    properties.insert(QStringLiteral("progress"), show ? share : 0.0);
    properties.insert(QStringLiteral("progress-visible"), show);
    signal << appUri() << properties;
    bus_.send(signal);
}
