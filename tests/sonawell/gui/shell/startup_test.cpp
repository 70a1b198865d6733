#include "gui/startup.h"

#include "sonawell/gui/dialogs/dialog_test_support.h"
#include "support/audio_fixtures.h"
#include "support/file_fixtures.h"

#include "common/bus_names.h"
#include "core/engine/app_state.h"
#include "core/engine/quick_convert_engine.h"
#include "core/jobs/job_store.h"
#include "core/settings/app_settings.h"
#include "core/settings/ini_file.h"
#include "gui/dialogs/profile_dialog.h"
#include "gui/help.h"
#include "gui/help_window.h"
#include "gui/main_window.h"
#include "gui/splash_screen.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kProfile = QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)");
const QString kVoice = QStringLiteral("Audio for voice (32 Kbps, 22 kHz, mono)");
// Only a hang guard: on a busy machine, or under a sanitizer, a start-up takes many times its
// usual time.
constexpr int kWaitMs = 120000;

template <class Window>
Window* Shown() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

bool SplashListedToAssistiveTech() {
    QAccessibleInterface* app = QAccessible::queryAccessibleInterface(qApp);
    for (int i = 0; app != nullptr && i < app->childCount(); ++i) {
        if (QAccessibleInterface* window = app->child(i);
            window && qobject_cast<SplashScreen*>(window->object())) {
            return true;
        }
    }
    return false;
}

// What a start-up showed when every profile dialog is cancelled and the main window closed.
struct StartSeen {
    int code = -1;
    bool profiles = false;
    bool window = false;
    bool readyWindow = false;
};

// Runs Main with a program folder and data folders of its own; `step` is called every 10 ms
// while Main runs, and a main window is closed after 20 s at the latest.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(program_.isValid() && data_.isValid());
        QFile::link(QDir(testsupport::BinDir()).filePath(QStringLiteral("help")),
                    program_.filePath(QStringLiteral("help")));
        setProgramFolder(program_.path());
        qputenv("XDG_DATA_HOME", data_.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", data_.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_STATE_HOME", data_.filePath(QStringLiteral("state")).toUtf8());
        appSettings = AppSettingsRecord{};
        mainWindowReady = true;  // start-up must set it back
        Store(QStringLiteral("General"), QStringLiteral("CPUPriority"), QStringLiteral("1"));
        Store(QStringLiteral("General"), QStringLiteral("AutoStart"), QStringLiteral("0"));
    }

    void TearDown() override { setProgramFolder(QString()); }

    QString ini() const { return program_.filePath(QStringLiteral("Sonawell.ini")); }
    void Store(const QString& section, const QString& key, const QString& value) const {
        writeIniValue(ini(), section, key, value);
    }

    int RunMain(const std::function<void()>& step) {
        QTimer poll;
        poll.setInterval(10);
        QElapsedTimer clock;
        clock.start();
        QObject::connect(&poll, &QTimer::timeout, [&] {
            step();
            if (clock.elapsed() > kWaitMs) {
                ADD_FAILURE() << "the program did not end";
                if (auto* dialog = Shown<ProfileDialog>()) {
                    dialog->reject();
                }
                QApplication::closeAllWindows();
                QCoreApplication::quit();
            }
        });
        poll.start();
        return runApplication(*qobject_cast<QApplication*>(QCoreApplication::instance()));
    }

    StartSeen StartCancellingProfiles() {
        StartSeen seen;
        seen.code = RunMain([&] {
            if (auto* dialog = Shown<ProfileDialog>()) {
                seen.profiles = true;
                dialog->cancelButton()->click();
            }
            if (auto* window = Shown<MainWindow>()) {
                seen.window = true;
                seen.readyWindow = mainWindowReady;
                window->close();
            }
        });
        return seen;
    }

    QTemporaryDir program_;
    QTemporaryDir data_;
};

TEST_F(StartupTest, WithBothProfilesTheMainWindowOpensReadyAndNoProfileIsAsked) {
    Store(QStringLiteral("General"), QStringLiteral("Profile"), kProfile);
    Store(QStringLiteral("Quick Convert"), QStringLiteral("Profile"), kVoice);
    bool sawProfiles = false;
    int ticksWithWindow = 0;
    bool splashAfter = true;
    bool readyWhenShown = false;
    bool helpOpen = false;
    const int code = RunMain([&] {
        sawProfiles |= Shown<ProfileDialog>() != nullptr;
        auto* window = Shown<MainWindow>();
        if (window == nullptr) {
            return;
        }
        if (++ticksWithWindow == 1) {
            readyWhenShown = mainWindowReady;
            EXPECT_EQ(window->driver().currentJob(), 1);
        } else if (ticksWithWindow == 5) {
            // Start-up has long returned to the event loop; the window is all that is left,
            // also for assistive technology, which lists hidden top-level windows too.
            splashAfter = Shown<SplashScreen>() != nullptr || SplashListedToAssistiveTech();
            // An open help window does not keep the program alive.
            showHelpContents(window);
            helpOpen = window->findChild<HelpWindow*>() != nullptr &&
                       window->findChild<HelpWindow*>()->isVisible();
            window->close();
        }
    });
    EXPECT_EQ(code, 0);
    EXPECT_GE(ticksWithWindow, 5);
    EXPECT_TRUE(helpOpen);
    EXPECT_FALSE(sawProfiles);
    EXPECT_FALSE(splashAfter);
    EXPECT_TRUE(readyWhenShown);
    // The settings came from the program folder.
    EXPECT_EQ(appSettings.iniPath, ini());
    EXPECT_EQ(appSettings.generalProfile, kProfile);
    EXPECT_EQ(appSettings.quickProfile, kVoice);
}

TEST_F(StartupTest, OneMissingProfileAsksOverTheSplashAndCancelEndsWithoutAWindow) {
    Store(QStringLiteral("General"), QStringLiteral("Profile"), kProfile);
    bool sawProfiles = false;
    bool splashBehind = false;
    bool splashCovered = false;
    bool dialogIcon = false;
    bool sawWindow = false;
    const int code = RunMain([&] {
        if (auto* window = Shown<MainWindow>()) {
            sawWindow = true;
            window->close();
        }
        if (auto* dialog = Shown<ProfileDialog>(); dialog && !sawProfiles) {
            sawProfiles = true;
            const auto* splash = Shown<SplashScreen>();
            splashBehind = splash != nullptr;
            // Behind, and hidden whole: no edge of it shows around the dialog.
            splashCovered = splash && dialog->frameGeometry().contains(splash->frameGeometry());
            dialogIcon = !dialog->windowIcon().isNull();
            dialog->cancelButton()->click();
        }
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(sawProfiles);
    EXPECT_TRUE(splashBehind);
    EXPECT_TRUE(splashCovered);
    EXPECT_TRUE(dialogIcon);
    EXPECT_FALSE(sawWindow);
    EXPECT_FALSE(mainWindowReady);
    EXPECT_EQ(Shown<SplashScreen>(), nullptr);
    // Nothing was stored, so the next start asks again.
    EXPECT_TRUE(
        readIniValue(ini(), QStringLiteral("Quick Convert"), QStringLiteral("Profile")).isEmpty());
}

// A file handed in over the session bus while the profile is being chosen waits, and becomes
// a job once the main window is up.
TEST_F(StartupTest, FileHandedInDuringStartUpBecomesAJobOfTheMainWindow) {
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
        QStandardPaths::findExecutable(QStringLiteral("dbus-send")).isEmpty()) {
        GTEST_SKIP() << "needs a session bus of its own and dbus-send";
    }
    QTemporaryDir music;
    const QString song = music.filePath(QStringLiteral("song.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(song, 1.0));

    enum class Stage { Profiles, Chosen, Window, Done } stage = Stage::Profiles;
    // The call goes out while the dialog is open; its reply says it has been taken.
    QProcess send;
    int jobsWhenShown = -1;
    QString jobSource, jobFormat;
    const int code = RunMain([&] {
        switch (stage) {
            case Stage::Profiles:
                if (auto* dialog = Shown<ProfileDialog>()) {
                    send.start(QStringLiteral("dbus-send"),
                               {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                                QStringLiteral("--type=method_call"),
                                QStringLiteral("--dest=Sonawell.QuickConvertEngine"),
                                QStringLiteral("/QuickConvertEngine"),
                                QStringLiteral("Sonawell.QuickConvertEngine.AddJobs"),
                                QStringLiteral("string:") + song});
                    stage = Stage::Chosen;
                    dialog->profileBox()->setCurrentText(kVoice);
                }
                break;
            case Stage::Chosen:
                if (auto* dialog = Shown<ProfileDialog>();
                    dialog && send.state() == QProcess::NotRunning) {
                    dialog->okButton()->click();
                    stage = Stage::Window;
                }
                break;
            case Stage::Window:
                if (auto* window = Shown<MainWindow>()) {
                    if (jobsWhenShown < 0) {
                        jobsWhenShown = window->jobs().count();
                    }
                    if (window->jobs().count() == 1) {
                        jobSource = window->jobs().at(1).source;
                        jobFormat = window->jobs().at(1).profile;
                        stage = Stage::Done;
                        window->close();
                    }
                }
                break;
            case Stage::Done:
                break;
        }
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(send.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(send.exitCode(), 0) << send.readAllStandardError().toStdString();
    EXPECT_EQ(stage, Stage::Done);
    EXPECT_EQ(jobsWhenShown, 0);
    EXPECT_EQ(jobSource, song);
    EXPECT_EQ(jobFormat, kVoice);
    EXPECT_EQ(readIniValue(ini(), QStringLiteral("General"), QStringLiteral("Profile")), kVoice);
    // The bus can start the program next time.
    const QString service =
        data_.filePath(QStringLiteral("data/dbus-1/services/Sonawell.QuickConvertEngine.service"));
    QFile file(service);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains(QCoreApplication::applicationFilePath().toUtf8()));
}

// The bus reads the user's service file before an installed one, so start-up leaves one only
// when nothing installed provides the name, and then it names this program.
TEST_F(StartupTest, UserServiceFileOnlyWhenNoInstalledOneProvidesTheName) {
    const QString fileName = QStringLiteral("dbus-1/services/Sonawell.QuickConvertEngine.service");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        GTEST_SKIP() << "needs a session bus of its own";
    }
    if (QFile::exists(QStringLiteral("/usr/share/") + fileName)) {
        GTEST_SKIP() << "an installed Sonawell provides the service on this machine";
    }
    Store(QStringLiteral("General"), QStringLiteral("Profile"), kProfile);
    Store(QStringLiteral("Quick Convert"), QStringLiteral("Profile"), kVoice);
    const QString userFile = data_.filePath(QStringLiteral("data/") + fileName);
    const QString systemFile = data_.filePath(QStringLiteral("system/") + fileName);
    const QByteArray stale =
        "[D-BUS Service]\nName=Sonawell.QuickConvertEngine\nExec=\"/gone/build/bin/sonawell\"\n";
    const QByteArray installed =
        "[D-BUS Service]\nName=Sonawell.QuickConvertEngine\nExec=/usr/bin/sonawell\n";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(userFile).path()) &&
                QDir().mkpath(QFileInfo(systemFile).path()));
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    const auto restore = qScopeGuard([&] { qputenv("XDG_DATA_DIRS", dataDirs); });
    qputenv("XDG_DATA_DIRS", data_.filePath(QStringLiteral("system")).toUtf8() + ':' +
                                 (dataDirs.isEmpty() ? "/usr/local/share:/usr/share" : dataDirs));

    struct Row {
        const char* name;
        bool systemFile;
    };
    for (const Row& row : {Row{"a stale user file, nothing installed", false},
                           Row{"a stale user file, an installed one", true}}) {
        SCOPED_TRACE(row.name);
        QFile::remove(systemFile);
        ASSERT_TRUE(testsupport::WriteAll(userFile, stale));
        if (row.systemFile) {
            ASSERT_TRUE(testsupport::WriteAll(systemFile, installed));
        }
        EXPECT_TRUE(StartCancellingProfiles().readyWindow);
        if (row.systemFile) {
            EXPECT_FALSE(QFile::exists(userFile));
            EXPECT_EQ(testsupport::ReadAll(systemFile), installed);
        } else {
            const QByteArray written = testsupport::ReadAll(userFile);
            EXPECT_TRUE(written.contains(QCoreApplication::applicationFilePath().toUtf8()));
            EXPECT_FALSE(written.contains("/gone/"));
        }
    }
}

// A settings file mangled by hand or by a broken disk never keeps the program from starting:
// unreadable bytes are skipped, odd numbers read as their leading digits or the default.
TEST_F(StartupTest, DamagedSettingsFileStillStarts) {
    QByteArray garbage(64 * 1024, '\0');
    for (int i = 0; i < garbage.size(); ++i) {
        garbage[i] = static_cast<char>((i * 7919 + 13) % 251);
    }
    garbage.replace('[', 'x');
    const QByteArray keys = "\n[General]\nProfile=" + kProfile.toUtf8() +
                            "\nCPUPriority=99999999999\nAutoStart=yes\nDeleteSource=-1\n"
                            "OverwriteExist=\n[Quick Convert]\nProfile=" +
                            kVoice.toUtf8() + "\nSameTargetDir=2x\n";
    ASSERT_TRUE(testsupport::WriteAll(ini(), garbage + keys));
    ASSERT_TRUE(QFile::setPermissions(ini(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));

    const StartSeen seen = StartCancellingProfiles();
    EXPECT_EQ(seen.code, 0);
    EXPECT_FALSE(seen.profiles);
    EXPECT_TRUE(seen.readyWindow);
    EXPECT_EQ(appSettings.generalProfile, kProfile);
    EXPECT_EQ(appSettings.quickProfile, kVoice);
    EXPECT_TRUE(appSettings.autoStart);
    EXPECT_TRUE(appSettings.deleteSource);
    EXPECT_TRUE(appSettings.overwriteExist);
    EXPECT_TRUE(appSettings.sameTargetDir);
    EXPECT_FALSE(appSettings.cpuPriority >= 0 && appSettings.cpuPriority <= 2);
}

// Nothing usable at all: the program asks for the profiles as on a first start.
TEST_F(StartupTest, GarbageSettingsFileAsksForTheProfiles) {
    QByteArray garbage(10 * 1024, '\0');
    for (int i = 0; i < garbage.size(); ++i) {
        garbage[i] = static_cast<char>((i * 31 + 7) % 256);
    }
    ASSERT_TRUE(testsupport::WriteAll(ini(), garbage));

    const StartSeen seen = StartCancellingProfiles();
    EXPECT_EQ(seen.code, 0);
    EXPECT_TRUE(seen.profiles);
    EXPECT_FALSE(seen.window);
    // A cancelled choice leaves the file as it was.
    EXPECT_EQ(testsupport::ReadAll(ini()), garbage);
}

// Another instance owns the bus name: this one still starts as a converter and says nothing.
TEST_F(StartupTest, SecondInstanceWithoutTheBusNameStartsQuietly) {
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        GTEST_SKIP() << "needs a session bus of its own";
    }
    Store(QStringLiteral("General"), QStringLiteral("Profile"), kProfile);
    Store(QStringLiteral("Quick Convert"), QStringLiteral("Profile"), kVoice);
    // Earlier starts in this process took the name on the shared connection.
    QDBusConnection::sessionBus().unregisterService(QLatin1String(sw::bus::kServiceName));
    QDBusConnection first =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("first"));
    ASSERT_TRUE(first.registerService(QLatin1String(sw::bus::kServiceName)));

    bool sawMessage = false;
    const StartSeen seen = [&] {
        StartSeen result;
        result.code = RunMain([&] {
            if (auto* box = Shown<QMessageBox>()) {
                sawMessage = true;
                box->reject();
            }
            if (auto* window = Shown<MainWindow>()) {
                result.window = true;
                result.readyWindow = mainWindowReady;
                window->close();
            }
        });
        return result;
    }();
    first.unregisterService(QLatin1String(sw::bus::kServiceName));
    QDBusConnection::disconnectFromBus(QStringLiteral("first"));

    EXPECT_EQ(seen.code, 0);
    EXPECT_TRUE(seen.readyWindow);
    EXPECT_FALSE(sawMessage);
}

// A close that arrives while start-up still lets events run (the window has just been shown,
// the splash is still up) ends the program instead of leaving it with no window.
TEST_F(StartupTest, MainWindowClosedAsItAppearsEndsTheProgram) {
    Store(QStringLiteral("General"), QStringLiteral("Profile"), kProfile);
    Store(QStringLiteral("Quick Convert"), QStringLiteral("Profile"), kVoice);
    class CloseOnShow : public QObject {
    public:
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (auto* window = qobject_cast<MainWindow*>(watched);
                window != nullptr && event->type() == QEvent::Show) {
                splashUp = Shown<SplashScreen>() != nullptr;
                QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
            }
            return false;
        }
        bool splashUp = false;
    } closer;
    qApp->installEventFilter(&closer);
    const StartSeen seen = StartCancellingProfiles();
    qApp->removeEventFilter(&closer);
    EXPECT_EQ(seen.code, 0);
    EXPECT_TRUE(closer.splashUp);
    EXPECT_FALSE(seen.window);
    EXPECT_EQ(Shown<SplashScreen>(), nullptr);
}

}  // namespace
