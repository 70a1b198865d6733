// The automation server on a real session bus (the test runs inside dbus-run-session): paths
// handed in through the bus become quick jobs, and start-up serves the bus before any window.

#include "common/bus_names.h"
#include "core/engine/app_state.h"
#include "core/engine/quick_convert_engine.h"
#include "core/settings/app_settings.h"
#include "gui/dialogs/profile_dialog.h"
#include "gui/main_window.h"
#include "gui/splash_screen.h"
#include "gui/startup.h"
#include "quick_test_support.h"
#include "quillmark/quick_convert_client.h"
#include "support/audio_fixtures.h"

#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gio/gio.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

using quicktest::Engine;
using quicktest::kProfile;
using quicktest::UseQuickSettings;
using quicktest::WaitUntil;
using ::testing::IsEmpty;

namespace {

// The main window start-up made, once it exists.
MainWindow* ExistingMainWindow() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (auto* main = qobject_cast<MainWindow*>(window)) {
            return main;
        }
    }
    return nullptr;
}

std::vector<std::string> ToStd(const QStringList& paths) {
    std::vector<std::string> list;
    for (const QString& path : paths) {
        list.push_back(path.toStdString());
    }
    return list;
}

// The client of the file-manager extension, on a thread of its own so that this thread can
// serve the calls.
quickconvert::AddJobsResult HandIn(const QStringList& paths) {
    auto call = std::async(std::launch::async, [files = ToStd(paths)] {
        return quickconvert::AddJobs(quickconvert::kProgId, files);
    });
    WaitUntil([&] { return call.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
              std::chrono::seconds(60));
    return call.get();
}

// Hands every path in without waiting for one call's answer before sending the next, on a
// connection of its own; `answered` counts the calls answered without an error as they come.
void HandInPipelined(const std::vector<std::string>& paths, std::atomic<int>& answered) {
    struct Tally {
        int outstanding = 0;
        std::atomic<int>* answered = nullptr;
    } tally{0, &answered};
    g_autoptr(GMainContext) context = g_main_context_new();
    g_main_context_push_thread_default(context);
    {
        g_autofree char* address =
            g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        g_autoptr(GDBusConnection) bus =
            address == nullptr ? nullptr
                               : g_dbus_connection_new_for_address_sync(
                                     address,
                                     static_cast<GDBusConnectionFlags>(
                                         G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                         G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                                     nullptr, nullptr, nullptr);
        if (bus != nullptr) {
            const std::string name(quickconvert::kBusName);
            const std::string object(quickconvert::kObjectPath);
            const std::string interface(quickconvert::kInterface);
            for (const std::string& path : paths) {
                ++tally.outstanding;
                g_dbus_connection_call(
                    bus, name.c_str(), object.c_str(), interface.c_str(), "AddJobs",
                    g_variant_new("(s)", path.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE, -1,
                    nullptr,
                    [](GObject* source, GAsyncResult* result, gpointer data) {
                        auto* t = static_cast<Tally*>(data);
                        g_autoptr(GVariant) reply = g_dbus_connection_call_finish(
                            G_DBUS_CONNECTION(source), result, nullptr);
                        --t->outstanding;
                        *t->answered += reply != nullptr ? 1 : 0;
                    },
                    &tally);
            }
            while (tally.outstanding > 0) {
                g_main_context_iteration(context, TRUE);
            }
        }
    }
    g_main_context_pop_thread_default(context);
}

QString WithExtension(const QString& path, const QString& extension) {
    return path.left(path.lastIndexOf(QLatin1Char('.')) + 1) + extension;
}

class QuickBus : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(automation_.registerOnSessionBus()) << "no session bus";
        ASSERT_TRUE(QDBusConnection::sessionBus().interface()->isServiceRegistered(
            QLatin1String(sw::bus::kServiceName)));
        mainWindowReady = true;
    }
    void TearDown() override {
        mainWindowReady = false;
        QDBusConnection::sessionBus().unregisterService(QLatin1String(sw::bus::kServiceName));
    }

    QString mp3(const QString& name, double seconds = 0.5) const {
        const QString path = dir_.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        EXPECT_TRUE(testsupport::MakeMp3(path, seconds)) << path.toStdString();
        return path;
    }

    QTemporaryDir dir_;
    Engine engine_;
    QuickConvertEngine automation_{engine_.pending};
};

// What other clients (the file-manager extension, dbus-send) rely on: AddJobs with one string
// argument, fileName, and no result.
TEST_F(QuickBus, OffersAddJobsWithOneStringAndNoResult) {
    auto introspect = std::async(std::launch::async, [] {
        std::string xml;
        g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        if (bus != nullptr) {
            g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
                bus, std::string(quickconvert::kBusName).c_str(),
                std::string(quickconvert::kObjectPath).c_str(),
                "org.freedesktop.DBus.Introspectable", "Introspect", nullptr, G_VARIANT_TYPE("(s)"),
                G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
            if (reply != nullptr) {
                const char* text = nullptr;
                g_variant_get(reply, "(&s)", &text);
                xml = text;
            }
        }
        return xml;
    });
    WaitUntil(
        [&] { return introspect.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    const std::string xml = introspect.get();
    g_autoptr(GDBusNodeInfo) node = g_dbus_node_info_new_for_xml(xml.c_str(), nullptr);
    ASSERT_NE(node, nullptr) << xml;
    GDBusInterfaceInfo* interface =
        g_dbus_node_info_lookup_interface(node, std::string(quickconvert::kInterface).c_str());
    ASSERT_NE(interface, nullptr) << xml;
    GDBusMethodInfo* method = g_dbus_interface_info_lookup_method(interface, "AddJobs");
    ASSERT_NE(method, nullptr) << xml;
    ASSERT_NE(method->in_args, nullptr);
    ASSERT_NE(method->in_args[0], nullptr);
    EXPECT_STREQ(method->in_args[0]->name, "strFileName");
    EXPECT_STREQ(method->in_args[0]->signature, "s");
    EXPECT_EQ(method->in_args[1], nullptr);
    EXPECT_TRUE(method->out_args == nullptr || method->out_args[0] == nullptr);
}

TEST_F(QuickBus, ThreeMp3PathsBecomeJobsInOrderAndConvertFromTheFirst) {
    QObject watch;  // the connections below end with this test's locals
    UseQuickSettings(true);
    const QStringList paths = {mp3(QStringLiteral("one.mp3"), 1.0),
                               mp3(QStringLiteral("two.mp3"), 1.0),
                               mp3(QStringLiteral("three.mp3"), 1.0)};
    // The rows in the order they were taken up, read off the "converting" icon.
    std::vector<int> started;
    QObject::connect(&engine_.jobs, &JobStore::changed, &watch, [&](int row) {
        if (engine_.jobs.at(row).state == JobState::Converting &&
            (started.empty() || started.back() != row)) {
            started.push_back(row);
        }
    });

    const auto result = HandIn(paths);
    ASSERT_TRUE(result.allHandedOver()) << result.unreachable;
    ASSERT_TRUE(WaitUntil([&] { return engine_.jobs.count() == 3 && engine_.queueDone(); }));

    EXPECT_EQ(engine_.sources(), paths);
    EXPECT_EQ(started, (std::vector<int>{1, 2, 3}));
    EXPECT_THAT(engine_.prompt.messages, IsEmpty());
    for (int row = 1; row <= 3; ++row) {
        const QString target = WithExtension(paths.at(row - 1), QStringLiteral("wma"));
        EXPECT_EQ(engine_.jobs.at(row).output, target);
        EXPECT_EQ(engine_.jobs.at(row).profile, kProfile);
        EXPECT_EQ(statusText(engine_.jobs.at(row)), QStringLiteral("100%"));
        EXPECT_EQ(testsupport::ProbeCodecAndFormat(target), QStringLiteral("wmav2|asf"));
    }
}

// A collection handed in as its folder over the bus, with a target folder: every format comes
// out as the same tree of WMA files, the WMA as a FLAC when WmaFormat says so.
TEST_F(QuickBus, AFolderOfManyFormatsBecomesTheSameTreeInTheTargetFolder) {
    UseQuickSettings(true, false, dir_.filePath(QStringLiteral("out")));
    appSettings.wmaToFlac = true;
    const QString root = dir_.filePath(QStringLiteral("collection"));
    const struct {
        const char* file;
        const char* codec;
        const char* output;
    } files[] = {
        {"Album A/01.flac", "flac", "Album A/01.wma"},
        {"Album A/02.ogg", "libvorbis", "Album A/02.wma"},
        {"Album A/03.opus", "libopus", "Album A/03.wma"},
        {"Album B/01.m4a", "aac", "Album B/01.wma"},
        {"Album B/02.aiff", "pcm_s16be", "Album B/02.wma"},
        {"Album B/03.mp3", "libmp3lame", "Album B/03.wma"},
        {"Album B/04.wma", "wmav2", "Album B/04.flac"},
    };
    for (const auto& f : files) {
        const QString path = root + QLatin1Char('/') + QString::fromUtf8(f.file);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        ASSERT_TRUE(testsupport::MakeTone(path, 0.5, 44100, 2,
                                          {QStringLiteral("-c:a"), QString::fromUtf8(f.codec)}))
            << f.file;
    }
    const auto result = HandIn({root});
    ASSERT_TRUE(result.allHandedOver()) << result.unreachable;
    ASSERT_TRUE(WaitUntil([&] { return engine_.jobs.count() == 7 && engine_.queueDone(); },
                          std::chrono::minutes(2)));
    EXPECT_THAT(engine_.prompt.messages, IsEmpty());
    for (int row = 1; row <= 7; ++row) {
        const auto& f = files[row - 1];
        SCOPED_TRACE(f.file);
        const QString output = dir_.filePath(QStringLiteral("out/") + QString::fromUtf8(f.output));
        EXPECT_EQ(engine_.jobs.at(row).output, output);
        EXPECT_EQ(statusText(engine_.jobs.at(row)), QStringLiteral("100%"));
        EXPECT_EQ(testsupport::ProbeCodecAndFormat(output), output.endsWith(QLatin1String(".flac"))
                                                                ? QStringLiteral("flac|flac")
                                                                : QStringLiteral("wmav2|asf"));
    }
}

TEST_F(QuickBus, PathsWithSpacesQuotesLettersAndNewlinesArriveUnchanged) {
    UseQuickSettings(true);
    const QStringList paths = {
        mp3(QStringLiteral("with space/My Song .mp3")),
        mp3(QStringLiteral("quotes/\"Double\" 'Single' `Back` $HOME.mp3")),
        mp3(QStringLiteral("Ünïcödé/Größe – 日本語 ♫.Mp3")),
        mp3(QStringLiteral("new\nline/first\nsecond.mp3")),
        mp3(QStringLiteral("tab\tand back\\slash.mp3")),
    };
    const QString wma = dir_.filePath(QStringLiteral("Ünïcödé/Grüße \"wav\"\n.wma"));
    ASSERT_TRUE(testsupport::MakeWma(wma, 0.5));

    const auto result = HandIn(QStringList(paths) << wma);
    ASSERT_TRUE(result.allHandedOver()) << result.unreachable;
    ASSERT_TRUE(WaitUntil([&] { return engine_.jobs.count() == 6 && engine_.queueDone(); }));

    EXPECT_EQ(engine_.sources(), QStringList(paths) << wma);
    EXPECT_THAT(engine_.prompt.messages, IsEmpty());
    for (int row = 1; row <= 6; ++row) {
        const QString source = engine_.jobs.at(row).source;
        const QString target =
            WithExtension(source, row == 6 ? QStringLiteral("wav") : QStringLiteral("wma"));
        SCOPED_TRACE(source.toStdString());
        EXPECT_EQ(engine_.jobs.at(row).output, target);
        EXPECT_EQ(statusText(engine_.jobs.at(row)), QStringLiteral("100%"));
        EXPECT_GT(QFileInfo(target).size(), 0);
    }
}

// The bus is answered while a decode runs, and a path handed in then is queued behind it.
TEST_F(QuickBus, APathHandedInWhileADecodeRunsIsNotLost) {
    UseQuickSettings(true);
    engine_.quick.timerPendingJobs().setInterval(20);
    const QString wma = dir_.filePath(QStringLiteral("first.wma"));
    ASSERT_TRUE(testsupport::MakeWma(wma, 600.0, 22050, 1));
    const QString during = mp3(QStringLiteral("during.mp3"));
    ASSERT_TRUE(HandIn({wma}).allHandedOver());
    ASSERT_TRUE(WaitUntil([&] { return engine_.driver.isDecoding(); }));
    std::atomic<bool> handedIn = false;
    bool answeredWhileDecoding = false;
    std::thread client([&] {
        handedIn =
            quickconvert::AddJobs(quickconvert::kProgId, {during.toStdString()}).allHandedOver();
    });
    WaitUntil([&] {
        answeredWhileDecoding = handedIn && engine_.driver.isDecoding();
        return handedIn.load();
    });
    client.join();
    EXPECT_TRUE(answeredWhileDecoding);
    WaitUntil([&] { return engine_.jobs.count() >= 2 && engine_.queueDone(); },
              std::chrono::seconds(60));
    EXPECT_EQ(engine_.sources(), (QStringList{wma, during}));
    for (int row = 1; row <= 2; ++row) {
        EXPECT_EQ(statusText(engine_.jobs.at(row)), QStringLiteral("100%"));
        EXPECT_GT(QFileInfo(engine_.jobs.at(row).output).size(), 0);
    }
}

// A thousand paths as fast as the bus takes them. The first ones arrive before the window is
// ready: an MP3 is encoded, and when it ends a long WMA is decoded; the rest arrive and are
// flushed while that decode runs, and after it.
TEST_F(QuickBus, AThousandPathsBecomeOneJobEachInOrderWhileADecodeRuns) {
    QObject watch;  // the connections below end with this test's locals
    UseQuickSettings(true);
    mainWindowReady = false;
    engine_.quick.timerPendingJobs().setInterval(20);
    const QString wma = dir_.filePath(QStringLiteral("second.wma"));
    ASSERT_TRUE(testsupport::MakeWma(wma, 600.0, 22050, 1));
    QStringList paths = {mp3(QStringLiteral("first.mp3")), wma};
    // Missing files: their decodes fail at once, so the queue gets through them quickly.
    for (int i = 2; i < 1000; ++i) {
        paths << dir_.filePath(QStringLiteral("gone/track %1.wma").arg(i, 4, 10, QLatin1Char('0')));
    }
    constexpr int kBeforeReady = 10;

    std::atomic<bool> decodeStarted = false;
    std::atomic<int> answered = 0;
    QObject::connect(&engine_.driver, &ConversionDriver::commandStatusChanged, &watch,
                     [&] { decodeStarted = decodeStarted || engine_.driver.isDecoding(); });
    int answeredAtDecode = -1;
    int answeredDuringDecode = 0;
    QObject::connect(&engine_.driver, &ConversionDriver::commandStatusChanged, &watch, [&] {
        if (engine_.driver.isDecoding() && answeredAtDecode < 0) {
            answeredAtDecode = answered;
        } else if (!engine_.driver.isDecoding() && answeredAtDecode >= 0 &&
                   answeredDuringDecode == 0) {
            answeredDuringDecode = answered - answeredAtDecode;
        }
    });
    int addedWhileDecoding = 0;
    QObject::connect(&engine_.jobs, &JobStore::added, &watch,
                     [&] { addedWhileDecoding += engine_.driver.isDecoding() ? 1 : 0; });

    std::atomic<bool> firstHandedIn = false;
    std::thread client([&] {
        const auto first =
            quickconvert::AddJobs(quickconvert::kProgId, ToStd(paths.mid(0, kBeforeReady)));
        answered = static_cast<int>(first.handedOver.size());
        firstHandedIn = true;
        const QDeadlineTimer deadline(std::chrono::seconds(20));
        while (!decodeStarted && !deadline.hasExpired()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        HandInPipelined(ToStd(paths.mid(kBeforeReady)), answered);
    });
    const bool handedIn = WaitUntil([&] { return firstHandedIn.load(); });
    // The window is ready only now.
    mainWindowReady = true;
    const bool done = WaitUntil(
        [&] { return answered == 1000 && engine_.jobs.count() >= 1000 && engine_.queueDone(); },
        std::chrono::seconds(60));
    client.join();
    ASSERT_TRUE(handedIn);
    ASSERT_TRUE(done) << "answered " << answered << ", jobs " << engine_.jobs.count();

    EXPECT_GT(answeredDuringDecode, 0) << "the bus was not answered while the decode ran";
    EXPECT_GT(addedWhileDecoding, 0) << "no path became a job while the decode ran";
    const QStringList sources = engine_.sources();
    ASSERT_EQ(sources.size(), 1000);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(sources.at(i), paths.at(i)) << "row " << i + 1;
    }
    for (int row = 1; row <= 2; ++row) {
        EXPECT_EQ(statusText(engine_.jobs.at(row)), QStringLiteral("100%"));
        EXPECT_GT(QFileInfo(engine_.jobs.at(row).output).size(), 0);
    }
}

// Start-up as the program runs it: the bus is served from before the splash, a file handed in
// while the default-profile dialog is open waits, and becomes a job (and an output) once the
// main window is up.
TEST(StartUp, ServesTheBusBeforeTheSplashAndQueuesUntilTheMainWindowIsUp) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = dir.filePath(QStringLiteral("program"));
    ASSERT_TRUE(QDir().mkpath(program));
    {
        QFile ini(program + QStringLiteral("/Sonawell.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        // No quick-convert profile: the default-profile dialog comes up.
        ini.write("[General]\nAutoStart=1\nCPUPriority=1\n[Quick Convert]\nSameTargetDir=1\n");
    }
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const QByteArray stateHome = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_STATE_HOME", dir.filePath(QStringLiteral("state")).toUtf8());
    setProgramFolder(program);
    const QString source = dir.filePath(QStringLiteral("handed in.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(source, 1.0));
    const QString target = dir.filePath(QStringLiteral("handed in.wma"));

    struct Seen {
        bool splashShown = false;
        bool servedAtSplash = false;
        bool dialogUp = false;
        bool mainWindowDuringDialog = false;
        bool answeredDuringDialog = false;
        bool mainWindowUp = false;
        int jobsWhenMainWindowUp = -1;
        bool outputBeforeMainWindow = false;
        QStringList jobs;
        QString status;
        bool timedOut = false;
    } seen;

    // The splash's show event is the first moment it can be seen.
    class SplashWatch : public QObject {
    public:
        explicit SplashWatch(Seen& s) : seen_(s) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Show && qobject_cast<SplashScreen*>(watched) &&
                !seen_.splashShown) {
                seen_.splashShown = true;
                seen_.servedAtSplash =
                    QDBusConnection::sessionBus().interface()->isServiceRegistered(
                        QLatin1String(sw::bus::kServiceName));
            }
            return false;
        }

    private:
        Seen& seen_;
    } splashWatch(seen);
    qApp->installEventFilter(&splashWatch);

    bool sent = false;
    std::future<quickconvert::AddJobsResult> call;
    const QDeadlineTimer deadline(std::chrono::seconds(40));
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (deadline.hasExpired()) {
            seen.timedOut = true;
            while (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
            if (MainWindow* window = ExistingMainWindow()) {
                window->close();
            }
            return;
        }
        if (auto* dialog = qobject_cast<ProfileDialog*>(QApplication::activeModalWidget())) {
            seen.dialogUp = true;
            seen.mainWindowDuringDialog =
                seen.mainWindowDuringDialog || ExistingMainWindow() != nullptr;
            seen.outputBeforeMainWindow = seen.outputBeforeMainWindow || QFileInfo::exists(target);
            if (!sent) {
                sent = true;
                call = std::async(std::launch::async, [&] {
                    return quickconvert::AddJobs(quickconvert::kProgId, {source.toStdString()});
                });
            } else if (call.valid() &&
                       call.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
                seen.answeredDuringDialog = call.get().allHandedOver();
                // A while longer: nothing may come of the file before the main window.
                QTimer::singleShot(600, dialog, [dialog] {
                    dialog->profileBox()->setCurrentText(kProfile);
                    dialog->okButton()->click();
                });
            }
            return;
        }
        MainWindow* const existing = ExistingMainWindow();
        if (!existing) {
            seen.outputBeforeMainWindow = seen.outputBeforeMainWindow || QFileInfo::exists(target);
            return;
        }
        MainWindow& window = *existing;
        if (!seen.mainWindowUp) {
            seen.mainWindowUp = true;
            seen.jobsWhenMainWindowUp = window.jobs().count();
            seen.outputBeforeMainWindow = seen.outputBeforeMainWindow || QFileInfo::exists(target);
        }
        const ConversionDriver& driver = window.driver();
        // Once: the loop may tick again between the close and the program's end.
        if (seen.status.isEmpty() && window.jobs().count() > 0 && !driver.isConverting() &&
            !driver.isBusy() && driver.currentJob() > window.jobs().count()) {
            for (int row = 1; row <= window.jobs().count(); ++row) {
                seen.jobs << window.jobs().at(row).source;
            }
            seen.status = statusText(window.jobs().at(1));
            window.close();
        }
    });
    poll.start();
    const int exitCode = runApplication(*qApp);
    poll.stop();
    qApp->removeEventFilter(&splashWatch);
    setProgramFolder(QString());
    QDBusConnection::sessionBus().unregisterService(QLatin1String(sw::bus::kServiceName));

    EXPECT_FALSE(seen.timedOut);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(seen.splashShown);
    EXPECT_TRUE(seen.servedAtSplash) << "the bus name was not owned when the splash appeared";
    EXPECT_TRUE(seen.dialogUp);
    EXPECT_FALSE(seen.mainWindowDuringDialog);
    EXPECT_TRUE(seen.answeredDuringDialog);
    EXPECT_TRUE(seen.mainWindowUp);
    EXPECT_EQ(seen.jobsWhenMainWindowUp, 0);
    EXPECT_FALSE(seen.outputBeforeMainWindow);
    EXPECT_EQ(seen.jobs, QStringList{source});
    EXPECT_EQ(seen.status, QStringLiteral("100%"));
    EXPECT_EQ(testsupport::ProbeCodecAndFormat(target), QStringLiteral("wmav2|asf"));

    // Each start refreshes the file that lets the bus start the program.
    QFile service(
        dir.filePath(QStringLiteral("data/dbus-1/services/Sonawell.QuickConvertEngine.service")));
    ASSERT_TRUE(service.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(service.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("Name=Sonawell.QuickConvertEngine\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Exec=\"%1\"\n").arg(qApp->applicationFilePath())));
    qputenv("XDG_DATA_HOME", dataHome);
    qputenv("XDG_STATE_HOME", stateHome);
}

}  // namespace
