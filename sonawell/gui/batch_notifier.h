#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>

class ConversionDriver;
class QWidget;

// Tells the desktop when the job list has been worked off while `window` is in the background:
// one notification with how many jobs finished and how many failed. Clicking it brings the
// window back. Without a notification server nothing is shown and nothing complains.
class BatchNotifier : public QObject {
    Q_OBJECT
public:
    BatchNotifier(ConversionDriver& driver, QWidget& window,
                  QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& action);

private:
    void onCommandStatusChanged();
    void notify(int finished, int failed);
    void bringWindowForward();

    ConversionDriver& driver_;
    QWidget& window_;
    QDBusConnection bus_;
    bool running_ = false;
    int firstRow_ = 1;
    uint shownId_ = 0;
    uint clickedId_ = 0;
};
