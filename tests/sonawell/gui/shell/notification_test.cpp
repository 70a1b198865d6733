// The desktop notification at the end of a batch, sent to a notification server double on a
// bus of the test's own.
#include "main_window_rig.h"

#include "gui/batch_notifier.h"
#include "quillmark/notification_double.h"
#include "quillmark/private_bus.h"

#include <QDBusConnection>

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
