// The desktop notification at the end of a batch, sent to a notification server double on a
// bus of the test's own.
#include "main_window_rig.h"

#include "gui/batch_notifier.h"
#include "gui/launcher_entry.h"
#include "quillmark/notification_double.h"
#include "quillmark/private_bus.h"

#include <QDBusConnection>
#include <QRegularExpression>
#include <QVariantMap>

#include <algorithm>
#include <vector>

namespace shelltest {

using Notification = MainWindowTest;

// Two decodes and one job refused as its own output, worked off while another window is
// active: one notification with the counts; clicking it brings the main window forward.
TEST_F(Notification, BatchRunOutInTheBackgroundIsReportedOnceWithItsCounts) {
    quillmarktest::PrivateBus bus;
    quillmarktest::NotificationDouble server(bus.address(), {"default"});
    const QString name = QStringLiteral("notification-test");
    QDBusConnection connection =
        QDBusConnection::connectToBus(QString::fromStdString(bus.address()), name);
    ASSERT_TRUE(connection.isConnected());
    struct Disconnect {
        QString name;
        ~Disconnect() { QDBusConnection::disconnectFromBus(name); }
    } disconnect{name};

    MainWindow& window = Open();
    BatchNotifier notifier(window.driver(), window, connection);
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    const QString a = Music(Sources::get().wma(), QStringLiteral("a.wma"));
    const QString b = Music(Sources::get().wma(), QStringLiteral("b.wma"));
    window.jobs().add(a, Target(a, "wav"), kWaveProfile);
    window.jobs().add(b, b, kWaveProfile);
    window.jobs().add(b, Target(b, "wav"), kWaveProfile);
    window.startConversion();
    ASSERT_TRUE(WaitFor([&] { return window.driver().currentJob() == 4; }));

    ASSERT_TRUE(WaitFor([&] { return !server.bodies().empty(); })) << "no notification";
    EXPECT_TRUE(WaitFor([&] { return window.isActiveWindow(); }))
        << "clicking the notification did not bring the window forward";
    QTest::qWait(200);
    EXPECT_EQ(server.bodies(), std::vector<std::string>{"2 jobs finished, 1 failed."});
}

}  // namespace shelltest

// --- The batch's progress: status bar, title, task bar -------------------------------------

namespace shelltest {

// The task-bar entry's Update signals as the bus delivers them.
class LauncherListener : public QObject {
    Q_OBJECT
public:
    struct Update {
        QString app;
        bool visible = false;
        double progress = -1;
    };
    explicit LauncherListener(QDBusConnection bus) {
        bus.connect(QString(), LauncherEntry::kPath, LauncherEntry::kInterface,
                    QStringLiteral("Update"), this, SLOT(onUpdate(QString, QVariantMap)));
    }
    std::vector<Update> updates;

private Q_SLOTS:
    void onUpdate(const QString& app, const QVariantMap& properties) {
        updates.push_back({app, properties.value(QStringLiteral("progress-visible")).toBool(),
                           properties.value(QStringLiteral("progress"), -1.0).toDouble()});
    }
};

using BatchProgressShown = MainWindowTest;

// One source missing, then a short one and long ones: the failure and a time left show while
// the batch runs, the totals stay after it, and the task bar shows the share until the end.
TEST_F(BatchProgressShown, InTheStatusBarTheTitleAndTheTaskBar) {
    quillmarktest::PrivateBus bus;
    const QString sender = QStringLiteral("launcher-sender"), receiver = QStringLiteral("launcher");
    QDBusConnection out =
        QDBusConnection::connectToBus(QString::fromStdString(bus.address()), sender);
    QDBusConnection in =
        QDBusConnection::connectToBus(QString::fromStdString(bus.address()), receiver);
    ASSERT_TRUE(out.isConnected() && in.isConnected());
    struct Disconnect {
        QStringList names;
        ~Disconnect() {
            for (const QString& name : names) {
                QDBusConnection::disconnectFromBus(name);
            }
        }
    } disconnect{{sender, receiver}};
    LauncherListener listener(in);

    MainWindow& window = Open();
    LauncherEntry launcher(window.batchProgress(), out);
    const QString title = window.windowTitle();
    EXPECT_EQ(title, QStringLiteral("Sonawell Convertor"));
    HandIn({music_.filePath(QStringLiteral("missing.mp3")),
            Music(Sources::get().shortMp3(), QStringLiteral("a.mp3")),
            Music(Sources::get().longMp3(), QStringLiteral("b.mp3")),
            Music(Sources::get().longMp3(), QStringLiteral("c.mp3")),
            Music(Sources::get().longMp3(), QStringLiteral("d.mp3"))});
    ASSERT_TRUE(WaitFor([&] {
        return window.batchStatus()->text() == QStringLiteral("0 of 5 done");
    })) << window.batchStatus()->text().toStdString();

    QStringList texts, titles;
    QObject::connect(&window.batchProgress(), &BatchProgress::changed, &window, [&] {
        if (window.driver().isConverting()) {
            texts << window.batchStatus()->text();
            titles << window.windowTitle();
        }
    });
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return window.driver().currentJob() == 6; }));
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    ASSERT_TRUE(WaitFor([&] {
        return window.batchStatus()->text() == QStringLiteral("5 of 5 done \u00b7 1 failed");
    })) << window.batchStatus()->text().toStdString();
    EXPECT_EQ(window.windowTitle(), title);

    const QRegularExpression withTimeLeft(QStringLiteral(
        "^[1-4] of 5 done \u00b7 1 failed \u00b7 (about [0-9]+ min|less than a minute) left$"));
    EXPECT_TRUE(std::any_of(texts.cbegin(), texts.cend(), [&](const QString& text) {
        return withTimeLeft.match(text).hasMatch();
    })) << texts.join(u'\n').toStdString();
    const QRegularExpression titleWithShare(
        QStringLiteral("^[1-4] of 5 done - Sonawell Convertor$"));
    EXPECT_TRUE(std::any_of(titles.cbegin(), titles.cend(), [&](const QString& text) {
        return titleWithShare.match(text).hasMatch();
    })) << titles.join(u'\n').toStdString();

    ASSERT_TRUE(
        WaitFor([&] { return !listener.updates.empty() && !listener.updates.back().visible; }));
    const auto shown =
        std::find_if(listener.updates.cbegin(), listener.updates.cend(), [](const auto& update) {
            return update.visible && update.progress > 0 && update.progress < 1;
        });
    EXPECT_NE(shown, listener.updates.cend()) << "no share shown while the batch ran";
    for (const auto& update : listener.updates) {
        EXPECT_EQ(update.app, QStringLiteral("application://io.github.sonawell.Sonawell.desktop"));
    }
}

}  // namespace shelltest

#include "notification_test.moc"
