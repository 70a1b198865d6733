#include "gui/batch_notifier.h"

#include "core/engine/conversion_driver.h"
#include "core/jobs/job.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QVariantMap>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

}  // namespace

BatchNotifier::BatchNotifier(ConversionDriver& driver, QWidget& window, QDBusConnection bus,
                             QObject* parent)
    : QObject(parent), driver_(driver), window_(window), bus_(std::move(bus)) {
    connect(&driver_, &ConversionDriver::commandStatusChanged, this,
            &BatchNotifier::onCommandStatusChanged);
    // Finished rows the user clears during the batch no longer count in it.
    connect(&driver_.jobs(), &JobStore::removed, this, [this](int first, int last) {
        firstRow_ -= std::max(0, std::min(last, firstRow_ - 1) - first + 1);
    });
    if (bus_.isConnected()) {
        bus_.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                     SLOT(onActionInvoked(uint, QString)));
    }
}

// The driver reports each change of its state; a batch is the stretch from leaving rest to
// coming to rest again, and it ran out when no job is left after it.
void BatchNotifier::onCommandStatusChanged() {
    const bool running = driver_.isConverting() || driver_.isBusy();
    if (running == running_) {
        return;
    }
    running_ = running;
    if (running) {
        firstRow_ = driver_.currentJob();
        return;
    }
    const JobStore& jobs = driver_.jobs();
    if (driver_.currentJob() <= jobs.count() || window_.isActiveWindow()) {
        return;
    }
    int finished = 0;
    int failed = 0;
    for (int row = firstRow_; row <= jobs.count(); ++row) {
        const JobState state = jobs.at(row).state;
        if (state == JobState::Done || state == JobState::DoneDamaged) {
            ++finished;
        } else if (state == JobState::Failed) {
            ++failed;
        }
    }
    notify(finished, failed);
}

void BatchNotifier::notify(int finished, int failed) {
    if (!bus_.isConnected()) {
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QString body = tr("%1 %2 finished, %3 failed.")
                             .arg(finished)
                             .arg(finished == 1 ? tr("job") : tr("jobs"))
                             .arg(failed);
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName());
    call << QStringLiteral("Sonawell") << shownId_ << QStringLiteral("sonawell")
         << tr("Conversion finished") << body
         << QStringList{QStringLiteral("default"), tr("Show Sonawell")} << hints << qint32(-1);
    // Asynchronous: a slow or missing server must not hold the window; its error is dropped.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<uint> reply = *w;
        if (!reply.isError()) {
            shownId_ = reply.value();
            // A click the server reported before its reply reached us.
            if (clickedId_ != 0 && clickedId_ == shownId_)
                bringWindowForward();
        }
        w->deleteLater();
    });
}

void BatchNotifier::onActionInvoked(uint id, const QString& action) {
    if (action != QLatin1String("default")) {
        return;
    }
    clickedId_ = id;
    if (id == shownId_ && shownId_ != 0) {
        bringWindowForward();
    }
}

void BatchNotifier::bringWindowForward() {
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.show();
    window_.raise();
    window_.activateWindow();
}
