#pragma once

#include <QDBusConnection>
#include <QObject>

class BatchProgress;

// The batch's share on the desktop's task bar or dock: com.canonical.Unity.LauncherEntry's
// Update signal, which KDE Plasma and the GNOME docks read, with the progress while a batch
// runs and the bar taken away when it ends.
class LauncherEntry : public QObject {
    Q_OBJECT
public:
    LauncherEntry(const BatchProgress& progress, QDBusConnection bus, QObject* parent = nullptr);

    static const QString kPath;
    static const QString kInterface;
    // "application://io.github.sonawell.Sonawell.desktop"
    static QString appUri();

private:
    void update();

    const BatchProgress& progress_;
    QDBusConnection bus_;
    bool shown_ = false;
    double sent_ = -1;
};
