#include "gui/main_window.h"

#include "sonawell/gui/dialogs/dialog_test_support.h"
#include "sonawell/recording_prompt.h"
#include "support/audio_fixtures.h"

#include "core/engine/app_state.h"
#include "core/settings/app_settings.h"
#include "core/settings/cpu_priority.h"
#include "core/settings/ini_file.h"
#include "gui/about_dialog.h"
#include "gui/dialogs/add_job_dialog.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/help_window.h"
#include "gui/path_delegate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/resource.h>

#include <functional>
#include <memory>

namespace {

const QString kProfile = QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)");
const QString kQuestion = QStringLiteral("Stop the converting and exit Sonawell?");
constexpr int kWaitMs = 30000;

// Start, Stop and Delete as a user sees them: the File menu's items and the toolbar's buttons.
struct Commands {
    bool start = false;
    bool stop = false;
    bool del = false;
    bool operator==(const Commands&) const = default;
};

QString Describe(const Commands& c) {
    return QStringLiteral("Start %1, Stop %2, Delete %3")
        .arg(c.start ? QLatin1String("on") : QLatin1String("off"),
             c.stop ? QLatin1String("on") : QLatin1String("off"),
             c.del ? QLatin1String("on") : QLatin1String("off"));
}

QMenu* TopMenu(const QMainWindow& window, const QString& title) {
    for (QAction* action : window.menuBar()->actions()) {
        if (action->text() == title && action->menu()) {
            return action->menu();
        }
    }
    return nullptr;
}

QAction* MenuItem(QMenu* menu, const QString& caption) {
    if (menu == nullptr) {
        return nullptr;
    }
    for (QAction* action : menu->actions()) {
        if (action->text() == caption) {
            return action;
        }
        if (QAction* inner = action->menu() ? MenuItem(action->menu(), caption) : nullptr) {
            return inner;
        }
    }
    return nullptr;
}

QToolButton* Button(const MainWindow& window, const char* key) {
    return window.toolBar()->findChild<QToolButton*>(QLatin1String(key));
}

bool Enabled(const QAction* item) {
    return item != nullptr && item->isEnabled();
}

bool Enabled(const QWidget* button) {
    return button != nullptr && button->isVisible() && button->isEnabled();
}

Commands MenuCommands(const MainWindow& window) {
    QMenu* file = TopMenu(window, QStringLiteral("&File"));
    return {Enabled(MenuItem(file, QStringLiteral("&Start Conversion"))),
            Enabled(MenuItem(file, QStringLiteral("Stop Conversion"))),
            Enabled(MenuItem(file, QStringLiteral("Delete Job")))};
}

Commands ButtonCommands(const MainWindow& window) {
    return {Enabled(Button(window, "cmdStartConvert")), Enabled(Button(window, "cmdStopConvert")),
            Enabled(Button(window, "cmdDeleteJob"))};
}

::testing::AssertionResult CommandsAre(const MainWindow& window, const Commands& expected) {
    const Commands menu = MenuCommands(window);
    const Commands buttons = ButtonCommands(window);
    if (menu == expected && buttons == expected) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "expected " << Describe(expected).toStdString() << "; menu shows "
           << Describe(menu).toStdString() << ", toolbar shows " << Describe(buttons).toStdString();
}

void ClickRow(MainWindow& window, int row) {
    QTreeView* view = window.jobView();
    const QModelIndex index = view->model()->index(row - 1, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

void Click(const MainWindow& window, const char* key) {
    QToolButton* button = Button(window, key);
    ASSERT_NE(button, nullptr) << key;
    QTest::mouseClick(button, Qt::LeftButton);
}

// Whether Delete is offered, in menu and toolbar alike, once the user has clicked `row`.
::testing::AssertionResult DeleteOfferedFor(MainWindow& window, int row) {
    ClickRow(window, row);
    const QModelIndexList selected = window.jobView()->selectionModel()->selectedRows();
    if (selected.size() != 1 || selected.first().row() != row - 1) {
        return ::testing::AssertionFailure() << "row " << row << " could not be selected";
    }
    const bool menu = MenuCommands(window).del;
    const bool button = ButtonCommands(window).del;
    if (menu != button) {
        return ::testing::AssertionFailure()
               << "row " << row << ": menu and toolbar disagree on Delete";
    }
    if (menu) {
        return ::testing::AssertionSuccess() << "Delete offered for row " << row;
    }
    return ::testing::AssertionFailure() << "Delete not offered for row " << row;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = kWaitMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

// Sources made once: a short and a long tone in MP3 and a WMA tone; each test copies them.
class Sources {
public:
    static const Sources& get() {
        static const Sources sources;
        return sources;
    }
    QString shortMp3() const { return dir_.filePath(QStringLiteral("short.mp3")); }
    QString longMp3() const { return dir_.filePath(QStringLiteral("long.mp3")); }
    QString wma() const { return dir_.filePath(QStringLiteral("tone.wma")); }
    bool ok() const { return ok_; }

private:
    Sources() {
        ok_ = testsupport::MakeMp3(shortMp3(), 1.0) && testsupport::MakeMp3(longMp3(), 120.0) &&
              testsupport::MakeWma(wma(), 30.0);
    }
    QTemporaryDir dir_;
    bool ok_ = false;
};

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setProgramFolder(testsupport::BinDir()); }

    void SetUp() override {
        ASSERT_TRUE(Sources::get().ok());
        ASSERT_TRUE(music_.isValid());
        mainWindowReady = false;
        Store(QStringLiteral("General"), QStringLiteral("Profile"), kProfile);
        Store(QStringLiteral("Quick Convert"), QStringLiteral("Profile"), kProfile);
        Store(QStringLiteral("General"), QStringLiteral("CPUPriority"), QStringLiteral("1"));
        Store(QStringLiteral("General"), QStringLiteral("AutoStart"), QStringLiteral("0"));
    }

    void TearDown() override {
        window_.reset();
        mainWindowReady = false;
        SetCPUPriority(1);
    }

    void Store(const QString& section, const QString& key, const QString& value) {
        writeIniValue(settings_.iniPath(), section, key, value);
        loadSettings();
    }

    MainWindow& Open() {
        window_ = std::make_unique<MainWindow>(encoder_, pending_, &prompt_);
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        return *window_;
    }

    // A copy of a made source under `name` in this test's folder.
    QString Music(const QString& made, const QString& name) {
        const QString path = music_.filePath(name);
        EXPECT_TRUE(QFile::copy(made, path)) << name.toStdString();
        return path;
    }
    static QString Target(const QString& source, const char* extension) {
        return source.left(source.lastIndexOf(QLatin1Char('.')) + 1) + QLatin1String(extension);
    }

    // Hands the paths in as another program would and waits for the window to take them up.
    void HandIn(const QStringList& paths) {
        const int before = window_->jobs().count();
        QSignalSpy added(&window_->jobs(), &JobStore::added);
        for (const QString& path : paths) {
            pending_.add(path);
        }
        while (window_->jobs().count() < before + static_cast<int>(paths.size())) {
            ASSERT_TRUE(added.wait(3000)) << "the window did not take the handed-in paths";
        }
    }

    QString status(int row) const { return statusText(window_->jobs().at(row)); }

    dialogtest::TempSettings settings_;
    QTemporaryDir music_;
    sw::enc::Encoder encoder_;
    PendingJobs pending_;
    RecordingPrompt prompt_{false};
    std::unique_ptr<MainWindow> window_;
};

// --- Start, Stop and Delete through a real queue ---------------------------------------------

using CommandStates = MainWindowTest;

TEST_F(CommandStates, EmptyListOffersNeitherStartNorStopNorDelete) {
    MainWindow& window = Open();
    EXPECT_TRUE(CommandsAre(window, {false, false, false}));
    // A disabled button does nothing when clicked.
    Click(window, "cmdStartConvert");
    EXPECT_FALSE(window.driver().isConverting());
    EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
    EXPECT_TRUE(prompt_.messages.isEmpty());
}

TEST_F(CommandStates, FollowTheCurrentJobWhileConvertingAndIdle) {
    MainWindow& window = Open();
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    const QString b = Music(Sources::get().longMp3(), QStringLiteral("b.mp3"));
    const QString c = Music(Sources::get().shortMp3(), QStringLiteral("c.mp3"));
    HandIn({a, b, c});
    ASSERT_EQ(window.jobs().count(), 3);
    {
        SCOPED_TRACE("three new jobs, none selected");
        EXPECT_TRUE(CommandsAre(window, {true, false, false}));
        EXPECT_TRUE(DeleteOfferedFor(window, 1));
        EXPECT_TRUE(DeleteOfferedFor(window, 3));
    }
    {
        SCOPED_TRACE("converting job 1");
        Click(window, "cmdStartConvert");
        ASSERT_TRUE(window.driver().isConverting());
        ASSERT_EQ(window.driver().currentJob(), 1);
        EXPECT_TRUE(CommandsAre(window, {false, true, true}));  // row 3 is still selected
        EXPECT_FALSE(DeleteOfferedFor(window, 1));
        EXPECT_TRUE(DeleteOfferedFor(window, 2));
    }
    {
        SCOPED_TRACE("converting job 2, job 1 done");
        // The state is read as soon as job 2 runs; no event is processed while it is checked.
        ASSERT_TRUE(WaitFor(
            [&] { return window.driver().currentJob() == 2 && window.driver().isConverting(); }));
        EXPECT_EQ(status(1), QStringLiteral("100%"));
        EXPECT_FALSE(DeleteOfferedFor(window, 1));
        EXPECT_FALSE(DeleteOfferedFor(window, 2));
        EXPECT_TRUE(DeleteOfferedFor(window, 3));
        EXPECT_TRUE(CommandsAre(window, {false, true, true}));
    }
    {
        SCOPED_TRACE("job 2 stopped");
        Click(window, "cmdStopConvert");
        EXPECT_FALSE(window.driver().isConverting());
        // Not startable until the stopped run has ended: the encoder would refuse it.
        EXPECT_FALSE(MenuCommands(window).stop);
        ASSERT_TRUE(WaitFor([&] { return MenuCommands(window).start; }));
        EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
        EXPECT_EQ(window.driver().currentJob(), 2);
        EXPECT_TRUE(CommandsAre(window, {true, false, true}));
        EXPECT_FALSE(DeleteOfferedFor(window, 1));
        EXPECT_TRUE(DeleteOfferedFor(window, 2));
        EXPECT_TRUE(DeleteOfferedFor(window, 3));
        window.jobView()->selectionModel()->clearSelection();
        EXPECT_TRUE(CommandsAre(window, {true, false, false}));
    }
    {
        SCOPED_TRACE("started again: job 2 from the beginning");
        Click(window, "cmdStartConvert");
        EXPECT_EQ(window.driver().currentJob(), 2);
        EXPECT_TRUE(CommandsAre(window, {false, true, false}));
        EXPECT_TRUE(DeleteOfferedFor(window, 3));
        ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
        for (int row = 1; row <= 3; ++row) {
            EXPECT_EQ(status(row), QStringLiteral("100%")) << row;
        }
        EXPECT_GT(QFileInfo(Target(b, "wma")).size(), 0);
    }
}

TEST_F(CommandStates, ExhaustedQueueOffersStartAgainOnlyForANewJob) {
    MainWindow& window = Open();
    HandIn({Music(Sources::get().shortMp3(), QStringLiteral("a.mp3")),
            Music(Sources::get().shortMp3(), QStringLiteral("b.mp3"))});
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return window.driver().currentJob() == 3; }));
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    EXPECT_TRUE(CommandsAre(window, {false, false, false}));
    EXPECT_FALSE(DeleteOfferedFor(window, 1));
    EXPECT_FALSE(DeleteOfferedFor(window, 2));
    EXPECT_FALSE(MenuCommands(window).start);

    HandIn({Music(Sources::get().shortMp3(), QStringLiteral("c.mp3"))});
    EXPECT_TRUE(MenuCommands(window).start);
    EXPECT_TRUE(ButtonCommands(window).start);
    EXPECT_TRUE(DeleteOfferedFor(window, 3));
    EXPECT_FALSE(DeleteOfferedFor(window, 2));
    Click(window, "cmdStartConvert");
    EXPECT_EQ(window.driver().currentJob(), 3);
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    EXPECT_EQ(status(3), QStringLiteral("100%"));
    EXPECT_TRUE(CommandsAre(window, {false, false, false}));
}

// A decode holds the UI thread and lets events run from its progress reports; what the user
// can do meanwhile is checked from inside it.
class DecodeObserver {
public:
    explicit DecodeObserver(ConversionDriver& driver, std::function<void()> inside)
        : driver_(driver), inside_(std::move(inside)) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (driver_.isDecoding() && !seen_) {
                seen_ = true;
                timer_.stop();
                inside_();
            }
        });
        timer_.start();
    }
    bool seen() const { return seen_; }

private:
    ConversionDriver& driver_;
    std::function<void()> inside_;
    QTimer timer_;
    bool seen_ = false;
};

TEST_F(CommandStates, DuringADecodeStopHaltsTheQueueAndStartWaitsForTheDecode) {
    MainWindow& window = Open();
    const QString d = Music(Sources::get().wma(), QStringLiteral("d.wma"));
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    HandIn({d, a, Music(Sources::get().shortMp3(), QStringLiteral("b.mp3"))});
    ASSERT_EQ(window.jobs().at(1).profile, QStringLiteral("WMA to WAV"));
    ClickRow(window, 3);

    DecodeObserver observer(window.driver(), [&] {
        SCOPED_TRACE("inside the decode");
        EXPECT_TRUE(CommandsAre(window, {false, true, true}));
        EXPECT_FALSE(DeleteOfferedFor(window, 1));
        EXPECT_TRUE(DeleteOfferedFor(window, 2));
        Click(window, "cmdStopConvert");
        EXPECT_TRUE(window.driver().isDecoding());
        // Stopped, but the decode runs on: nothing can be started until it has ended.
        EXPECT_TRUE(CommandsAre(window, {false, false, true}));
        EXPECT_FALSE(DeleteOfferedFor(window, 1));
    });
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(observer.seen());

    EXPECT_FALSE(window.driver().isConverting());
    EXPECT_EQ(window.driver().currentJob(), 2);
    EXPECT_EQ(status(1), QStringLiteral("100%"));
    EXPECT_GT(QFileInfo(Target(d, "wav")).size(), 0);
    EXPECT_EQ(status(2), QStringLiteral("0%"));
    EXPECT_FALSE(QFile::exists(Target(a, "wma")));
    EXPECT_TRUE(CommandsAre(window, {true, false, false}));  // row 1 still selected
    EXPECT_TRUE(DeleteOfferedFor(window, 2));
    EXPECT_TRUE(prompt_.messages.isEmpty()) << prompt_.messages.join(u'\n').toStdString();
}

QList<QAction*> PriorityItems(const MainWindow& window) {
    QMenu* tools = TopMenu(window, QStringLiteral("&Tools"));
    QAction* root = MenuItem(tools, QStringLiteral("CPU Priority"));
    return root && root->menu() ? root->menu()->actions() : QList<QAction*>{};
}

QStringList Checked(const MainWindow& window) {
    QStringList checked;
    for (const QAction* item : PriorityItems(window)) {
        if (item->isChecked()) {
            checked << item->text();
        }
    }
    return checked;
}

// The main thread's scheduling as the kernel reports it.
int Policy() {
    return sched_getscheduler(0);
}
int Nice() {
    errno = 0;
    return getpriority(PRIO_PROCESS, 0);
}

// --- Add Job ---------------------------------------------------------------------------------

// Answers the next modal dialog with `answer` (by default: closes it) and tells what it was
// and who owned it.
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(QDialog*)> answer = {}) : answer_(std::move(answer)) {
        poll_.setInterval(10);
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            poll_.stop();
            dialog_ = QLatin1String(dialog->metaObject()->className());
            owner_ = dialog->parentWidget();
            if (answer_) {
                answer_(dialog);
            }
            if (dialog->isVisible()) {
                dialog->reject();
            }
        });
        poll_.start();
    }
    QString dialog() const { return dialog_; }
    const QWidget* owner() const { return owner_; }

private:
    std::function<void(QDialog*)> answer_;
    QTimer poll_;
    QString dialog_;
    const QWidget* owner_ = nullptr;
};

// Answers the Add conversion Job dialog the next time it opens: picks `sources`, then OK or
// Cancel. Records whether the dialog was owned by the main window.
class AddJobAnswer {
public:
    AddJobAnswer(const MainWindow& window, QStringList sources, bool ok)
        : window_(window), modal_([sources = std::move(sources), ok](QDialog* opened) {
              auto* dialog = qobject_cast<AddJobDialog*>(opened);
              if (dialog == nullptr) {
                  return;
              }
              dialog->chooseSources = [sources] { return sources; };
              dialog->cmdBrowseSource->click();
              (ok ? dialog->cmdOK : dialog->cmdCancel)->click();
          }) {}
    bool answered() const { return modal_.dialog() == QLatin1String("AddJobDialog"); }
    bool ownedByWindow() const { return modal_.owner() == &window_; }

private:
    const MainWindow& window_;
    ModalAnswer modal_;
};

using AddJob = MainWindowTest;

TEST_F(AddJob, CancelAddsNothingAndOkAddsTheFilesWithoutStartingWhenAutoStartIsOff) {
    MainWindow& window = Open();
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    {
        AddJobAnswer answer(window, {a}, false);
        Click(window, "cmdNewJob");
        ASSERT_TRUE(answer.answered());
        EXPECT_TRUE(answer.ownedByWindow());
    }
    EXPECT_EQ(window.jobs().count(), 0);
    EXPECT_TRUE(CommandsAre(window, {false, false, false}));
    {
        AddJobAnswer answer(window, {a}, true);
        Click(window, "cmdNewJob");
        ASSERT_TRUE(answer.answered());
    }
    ASSERT_EQ(window.jobs().count(), 1);
    EXPECT_EQ(window.jobs().at(1).source, a);
    EXPECT_EQ(window.jobs().at(1).output, Target(a, "wma"));
    EXPECT_EQ(window.jobs().at(1).profile, kProfile);
    EXPECT_FALSE(window.driver().isConverting());
    EXPECT_TRUE(CommandsAre(window, {true, false, false}));
}

TEST_F(AddJob, AutoStartStartsAnIdleQueueButNeverRestartsARunningOne) {
    Store(QStringLiteral("General"), QStringLiteral("AutoStart"), QStringLiteral("1"));
    MainWindow& window = Open();
    const QString a = Music(Sources::get().longMp3(), QStringLiteral("a.mp3"));
    const QString d = Music(Sources::get().wma(), QStringLiteral("d.wma"));
    const QString c = Music(Sources::get().shortMp3(), QStringLiteral("c.mp3"));
    {
        AddJobAnswer answer(window, {a, d}, true);
        Click(window, "cmdNewJob");
        ASSERT_TRUE(answer.answered());
    }
    ASSERT_EQ(window.jobs().count(), 2);
    EXPECT_EQ(window.jobs().at(2).profile, QStringLiteral("WMA to WAV"));
    EXPECT_TRUE(window.driver().isConverting());
    EXPECT_EQ(window.driver().currentJob(), 1);
    EXPECT_TRUE(CommandsAre(window, {false, true, false}));
    {
        AddJobAnswer answer(window, {c}, true);
        Click(window, "cmdNewJob");
        ASSERT_TRUE(answer.answered());
    }
    ASSERT_EQ(window.jobs().count(), 3);
    EXPECT_EQ(window.driver().currentJob(), 1);
    EXPECT_TRUE(DeleteOfferedFor(window, 3));
    ASSERT_TRUE(WaitFor([&] { return window.driver().currentJob() == 4; }));
    EXPECT_FALSE(window.driver().isConverting());
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(status(row), QStringLiteral("100%")) << row;
    }
    EXPECT_GT(QFileInfo(Target(d, "wav")).size(), 0);
    EXPECT_TRUE(CommandsAre(window, {false, false, false}));
    EXPECT_TRUE(prompt_.messages.isEmpty()) << prompt_.messages.join(u'\n').toStdString();
}

// --- Shortcuts and the other commands --------------------------------------------------------

using MenusAndKeys = MainWindowTest;

TEST_F(MenusAndKeys, ShortcutsReachTheCommandsWhereverTheFocusIs) {
    MainWindow& window = Open();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    window.jobView()->setFocus();
    {
        AddJobAnswer answer(window, {a}, true);
        QTest::keyClick(window.jobView(), Qt::Key_A, Qt::ControlModifier);
        EXPECT_TRUE(answer.answered());
    }
    ASSERT_EQ(window.jobs().count(), 1);
    // Without a window manager nothing hands the activation back once the dialog has gone.
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(window.jobView(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(window.driver().isConverting());
    prompt_.answer = false;
    QTest::keyClick(window.jobView(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(prompt_.questions, QStringList{kQuestion});
    EXPECT_TRUE(window.isVisible());
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    QTest::keyClick(window.jobView(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MenusAndKeys, AboutOptionsAndHelpOpenOverTheMainWindow) {
    MainWindow& window = Open();
    {
        ModalAnswer answer;
        Click(window, "cmdHelpAbout");
        EXPECT_EQ(answer.dialog(), QStringLiteral("AboutDialog"));
        EXPECT_EQ(answer.owner(), &window);
    }
    {
        ModalAnswer answer;
        MenuItem(TopMenu(window, QStringLiteral("&Help")), QStringLiteral("About Sonawell"))
            ->trigger();
        EXPECT_EQ(answer.dialog(), QStringLiteral("AboutDialog"));
    }
    {
        ModalAnswer answer;
        MenuItem(TopMenu(window, QStringLiteral("&Tools")), QStringLiteral("Options"))->trigger();
        EXPECT_EQ(answer.dialog(), QStringLiteral("OptionsDialog"));
        EXPECT_EQ(answer.owner(), &window);
    }
    // Nothing of the settings changes by a cancelled Options dialog.
    EXPECT_EQ(appSettings.cpuPriority, 1);
    EXPECT_FALSE(appSettings.autoStart);

    QMenu* help = TopMenu(window, QStringLiteral("&Help"));
    MenuItem(help, QStringLiteral("Contents..."))->trigger();
    const QList<HelpWindow*> helpWindows = window.findChildren<HelpWindow*>();
    ASSERT_EQ(helpWindows.size(), 1);
    HelpWindow* helpWindow = helpWindows.first();
    EXPECT_TRUE(helpWindow->isVisible());
    EXPECT_TRUE(helpWindow->browser()->source().fileName().startsWith(QStringLiteral("contents")));
    MenuItem(help, QStringLiteral("Index..."))->trigger();
    EXPECT_EQ(window.findChildren<HelpWindow*>().size(), 1);
    EXPECT_TRUE(helpWindow->browser()->source().fileName().contains(QStringLiteral("index")));
    EXPECT_TRUE(prompt_.messages.isEmpty());
}

TEST_F(MenusAndKeys, OptionsTakeEffectAtOnceExceptThePriorityWhichWaitsForTheNextStart) {
    MainWindow& window = Open();
    {
        ModalAnswer answer([](QDialog* dialog) {
            auto* options = qobject_cast<OptionsDialog*>(dialog);
            ASSERT_NE(options, nullptr);
            options->optCPUPriority[2]->click();  // High
            options->chkAutoStart->setChecked(true);
            options->cmdOK->click();
        });
        MenuItem(TopMenu(window, QStringLiteral("&Tools")), QStringLiteral("Options"))->trigger();
        ASSERT_EQ(answer.dialog(), QStringLiteral("OptionsDialog"));
    }
    EXPECT_EQ(
        readIniValue(settings_.iniPath(), QStringLiteral("General"), QStringLiteral("CPUPriority")),
        QStringLiteral("2"));
    EXPECT_EQ(Checked(window), QStringList{QStringLiteral("Normal")});
    EXPECT_EQ(Policy(), SCHED_OTHER);
    EXPECT_EQ(Nice(), 0);

    // AutoStart counts from the next Add Job on.
    AddJobAnswer add(window, {Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"))}, true);
    Click(window, "cmdNewJob");
    ASSERT_TRUE(add.answered());
    EXPECT_TRUE(window.driver().isConverting());
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    EXPECT_EQ(status(1), QStringLiteral("100%"));
}

TEST_F(CommandStates, ARefusedStartLeavesTheJobCurrentAndStartOffered) {
    MainWindow& window = Open();
    const QString a = music_.filePath(QStringLiteral("a.mp3"));
    const QString b = Music(Sources::get().shortMp3(), QStringLiteral("b.mp3"));
    HandIn({a, b});  // a.mp3 is not there yet
    Click(window, "cmdStartConvert");
    EXPECT_EQ(prompt_.messages.size(), 1);
    EXPECT_FALSE(window.driver().isConverting());
    EXPECT_EQ(window.driver().currentJob(), 1);
    EXPECT_TRUE(CommandsAre(window, {true, false, false}));
    EXPECT_TRUE(DeleteOfferedFor(window, 1));

    // The user puts the file in place and starts again.
    ASSERT_TRUE(QFile::copy(Sources::get().shortMp3(), a));
    Click(window, "cmdStartConvert");
    EXPECT_TRUE(window.driver().isConverting());
    ASSERT_TRUE(WaitFor([&] { return window.driver().currentJob() == 3; }));
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    EXPECT_EQ(status(1), QStringLiteral("100%"));
    EXPECT_EQ(status(2), QStringLiteral("100%"));
    EXPECT_EQ(prompt_.messages.size(), 1);
}

// --- Delete ----------------------------------------------------------------------------------

using Delete = MainWindowTest;

TEST_F(Delete, RemovesOnlyTheSelectedRowThatHasNotStarted) {
    MainWindow& window = Open();
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    const QString b = Music(Sources::get().longMp3(), QStringLiteral("b.mp3"));
    const QString c = Music(Sources::get().shortMp3(), QStringLiteral("c.mp3"));
    const QString e = Music(Sources::get().shortMp3(), QStringLiteral("e.mp3"));
    HandIn({a, b, c, e});

    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor(
        [&] { return window.driver().currentJob() == 2 && window.driver().isConverting(); }));
    // Neither the finished job nor the running one goes.
    for (const int row : {1, 2}) {
        ClickRow(window, row);
        Click(window, "cmdDeleteJob");
        ASSERT_EQ(window.jobs().count(), 4) << row;
    }
    ClickRow(window, 3);
    Click(window, "cmdDeleteJob");
    ASSERT_EQ(window.jobs().count(), 3);
    EXPECT_EQ(window.jobs().at(1).source, a);
    EXPECT_EQ(window.jobs().at(2).source, b);
    EXPECT_EQ(window.jobs().at(3).source, e);
    EXPECT_EQ(window.driver().currentJob(), 2);
    EXPECT_TRUE(window.driver().isConverting());

    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    EXPECT_EQ(status(2), QStringLiteral("100%"));
    EXPECT_EQ(status(3), QStringLiteral("100%"));
    EXPECT_FALSE(QFile::exists(Target(c, "wma")));
    EXPECT_GT(QFileInfo(Target(e, "wma")).size(), 0);
}

TEST_F(Delete, IdleRemovesTheCurrentJobAndTheQueueGoesOnWithTheNext) {
    MainWindow& window = Open();
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    const QString b = Music(Sources::get().shortMp3(), QStringLiteral("b.mp3"));
    HandIn({a, b});
    ClickRow(window, 1);
    Click(window, "cmdDeleteJob");
    ASSERT_EQ(window.jobs().count(), 1);
    EXPECT_EQ(window.jobs().at(1).source, b);

    window.jobView()->selectionModel()->clearSelection();
    EXPECT_TRUE(CommandsAre(window, {true, false, false}));
    Click(window, "cmdDeleteJob");
    EXPECT_EQ(window.jobs().count(), 1);

    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    EXPECT_EQ(status(1), QStringLiteral("100%"));
    EXPECT_FALSE(QFile::exists(Target(a, "wma")));
}

// --- Close check and unload ------------------------------------------------------------------

using Closing = MainWindowTest;

TEST_F(Closing, IdleWindowClosesWithoutAQuestion) {
    MainWindow& window = Open();
    HandIn({Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"))});
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(prompt_.questions.isEmpty());
    EXPECT_EQ(status(1), QStringLiteral("0%"));
}

TEST_F(Closing, NoKeepsTheWindowAndTheRunGoingYesStopsAndWaitsForTheEnd) {
    MainWindow& window = Open();
    const QString a = Music(Sources::get().longMp3(), QStringLiteral("a.mp3"));
    const QString b = Music(Sources::get().longMp3(), QStringLiteral("b.mp3"));
    HandIn({a, b});
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(window.driver().isConverting());

    prompt_.answer = false;
    EXPECT_FALSE(window.close());
    EXPECT_EQ(prompt_.questions, QStringList{kQuestion});
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.driver().isConverting());
    EXPECT_TRUE(CommandsAre(window, {false, true, false}));
    // The run goes on to its end and the queue to the next job.
    ASSERT_TRUE(WaitFor(
        [&] { return window.driver().currentJob() == 2 && window.driver().isConverting(); }));
    EXPECT_EQ(status(1), QStringLiteral("100%"));
    EXPECT_GT(QFileInfo(Target(a, "wma")).size(), 0);

    prompt_.answer = true;
    EXPECT_TRUE(window.close());
    EXPECT_EQ(prompt_.questions.size(), 2);
    EXPECT_FALSE(window.isVisible());
    // The close returned only once the encoder had ended.
    EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
    EXPECT_FALSE(window.driver().isConverting());
    EXPECT_NE(status(2), QStringLiteral("100%"));
    EXPECT_FALSE(QFile::exists(Target(b, "wma")));
    EXPECT_TRUE(prompt_.messages.isEmpty());
}

// Nothing of the new run has been notified yet when the window closes.
TEST_F(Closing, YesInTheSameTurnAsTheStartStillAwaitsTheEndOfTheRun) {
    MainWindow& window = Open();
    const QString a = Music(Sources::get().longMp3(), QStringLiteral("a.mp3"));
    HandIn({a});
    prompt_.answer = true;
    Click(window, "cmdStartConvert");
    EXPECT_TRUE(window.close());
    EXPECT_EQ(prompt_.questions, QStringList{kQuestion});
    EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
    EXPECT_EQ(encoder_.lastOutcome(), sw::enc::RunOutcome::Stopped);
    EXPECT_TRUE(encoder_.progressText().isEmpty());
    EXPECT_FALSE(QFile::exists(Target(a, "wma")));
}

TEST_F(Closing, RightAfterStopNoQuestionAndTheEndingRunIsAwaited) {
    MainWindow& window = Open();
    const QString a = Music(Sources::get().longMp3(), QStringLiteral("a.mp3"));
    HandIn({a});
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return encoder_.runState() == sw::enc::RunState::Running; }));
    Click(window, "cmdStopConvert");
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(prompt_.questions.isEmpty());
    EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
    EXPECT_EQ(encoder_.lastOutcome(), sw::enc::RunOutcome::Stopped);
    EXPECT_FALSE(QFile::exists(Target(a, "wma")));
}

TEST_F(Closing, DuringADecodeNoGoesOnYesClosesWhenTheDecodeHasEnded) {
    MainWindow& window = Open();
    const QString d = Music(Sources::get().wma(), QStringLiteral("d.wma"));
    const QString e = Music(Sources::get().wma(), QStringLiteral("e.wma"));
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    HandIn({d, e, a});

    int decodes = 0;
    bool closedInside = true;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!window.driver().isDecoding() || window.driver().currentJob() <= decodes) {
            return;
        }
        decodes = window.driver().currentJob();
        // The first decode is asked about and goes on; the second is let go.
        prompt_.answer = decodes == 2;
        closedInside = window.close();
        EXPECT_TRUE(window.isVisible()) << decodes;
    });
    closer.start();
    Click(window, "cmdStartConvert");
    closer.stop();

    EXPECT_EQ(decodes, 2);
    EXPECT_FALSE(closedInside);
    EXPECT_EQ(prompt_.questions, (QStringList{kQuestion, kQuestion}));
    EXPECT_EQ(status(1), QStringLiteral("100%"));
    EXPECT_EQ(status(2), QStringLiteral("100%"));
    EXPECT_GT(QFileInfo(Target(e, "wav")).size(), 0);
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }, 5000));
    EXPECT_EQ(status(3), QStringLiteral("0%"));
    EXPECT_FALSE(QFile::exists(Target(a, "wma")));
    EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
}

// Here the decode runs inside the encoder's end notice of the job before it.
TEST_F(Closing, YesDuringADecodeThatFollowsAnEncodingClosesOnceTheDecodeHasEnded) {
    MainWindow& window = Open();
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    const QString d = Music(Sources::get().wma(), QStringLiteral("d.wma"));
    const QString c = Music(Sources::get().shortMp3(), QStringLiteral("c.mp3"));
    HandIn({a, d, c});
    prompt_.answer = true;
    bool closedInside = true;
    DecodeObserver observer(window.driver(), [&] { closedInside = window.close(); });
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }, 10000));
    EXPECT_TRUE(observer.seen());
    EXPECT_FALSE(closedInside);
    EXPECT_EQ(prompt_.questions, QStringList{kQuestion});
    EXPECT_EQ(status(1), QStringLiteral("100%"));
    EXPECT_EQ(status(2), QStringLiteral("100%"));
    EXPECT_GT(QFileInfo(Target(d, "wav")).size(), 0);
    EXPECT_EQ(status(3), QStringLiteral("0%"));
    EXPECT_FALSE(QFile::exists(Target(c, "wma")));
    EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
}

TEST_F(Closing, UnloadTurnsPendingFilesIntoJobsWithoutStartingThem) {
    Store(QStringLiteral("General"), QStringLiteral("AutoStart"), QStringLiteral("1"));
    MainWindow& window = Open();
    ASSERT_TRUE(mainWindowReady);
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    const QString d = Music(Sources::get().wma(), QStringLiteral("d.wma"));
    pending_.add(a);
    pending_.add(d);
    pending_.add(music_.filePath(QStringLiteral("notes.txt")));

    EXPECT_TRUE(window.close());
    EXPECT_EQ(pending_.count(), 0);
    ASSERT_EQ(window.jobs().count(), 2);
    EXPECT_EQ(window.jobs().at(1).source, a);
    EXPECT_EQ(window.jobs().at(2).source, d);
    EXPECT_FALSE(window.driver().isConverting());
    EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
    EXPECT_EQ(status(1), QStringLiteral("0%"));
    EXPECT_EQ(status(2), QStringLiteral("0%"));
    EXPECT_FALSE(QFile::exists(Target(a, "wma")));
    EXPECT_FALSE(QFile::exists(Target(d, "wav")));
    // Nothing starts later either.
    QTest::qWait(700);
    EXPECT_FALSE(window.driver().isConverting());
    EXPECT_FALSE(QFile::exists(Target(a, "wma")));
}

TEST_F(Closing, UnloadBeforeTheWindowIsReadyLeavesPendingFilesAlone) {
    MainWindow& window = Open();
    mainWindowReady = false;
    pending_.add(Music(Sources::get().shortMp3(), QStringLiteral("a.mp3")));
    EXPECT_TRUE(window.close());
    EXPECT_EQ(pending_.count(), 1);
    EXPECT_EQ(window.jobs().count(), 0);
}

// The window's own message boxes, as the program uses them.
class BoxAnswer {
public:
    explicit BoxAnswer(std::function<void(QMessageBox*)> answer)
        : modal_([this, answer = std::move(answer)](QDialog* opened) {
              auto* box = qobject_cast<QMessageBox*>(opened);
              if (box == nullptr) {
                  return;
              }
              shown_ = true;
              title_ = box->windowTitle();
              text_ = box->text();
              icon_ = box->icon();
              for (QAbstractButton* button : box->buttons()) {
                  buttons_ |= box->standardButton(button);
              }
              answer(box);
          }) {}
    bool shown() const { return shown_; }
    QString title() const { return title_; }
    QString text() const { return text_; }
    QMessageBox::Icon icon() const { return icon_; }
    QMessageBox::StandardButtons buttons() const { return buttons_; }
    const QWidget* owner() const { return modal_.owner(); }

private:
    bool shown_ = false;
    QString title_, text_;
    QMessageBox::Icon icon_ = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons_;
    ModalAnswer modal_;  // last: its answer writes the fields above
};

TEST_F(Closing, TheQuestionIsAYesNoBoxOverTheWindowAndEscapeMeansNo) {
    window_ = std::make_unique<MainWindow>(encoder_, pending_);  // its own message boxes
    MainWindow& window = *window_;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    HandIn({Music(Sources::get().longMp3(), QStringLiteral("a.mp3")),
            Music(Sources::get().longMp3(), QStringLiteral("b.mp3"))});
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(window.driver().isConverting());
    {
        BoxAnswer escape([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        EXPECT_FALSE(window.close());
        ASSERT_TRUE(escape.shown());
        EXPECT_EQ(escape.title(), QStringLiteral("Sonawell"));
        EXPECT_EQ(escape.text(), kQuestion);
        EXPECT_EQ(escape.buttons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(escape.owner(), &window);
    }
    EXPECT_TRUE(window.isVisible());
    {
        BoxAnswer yes([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        EXPECT_TRUE(window.close());
        ASSERT_TRUE(yes.shown());
    }
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
}

TEST_F(Closing, ErrorsAreShownInAnExclamationBoxOverTheWindow) {
    window_ = std::make_unique<MainWindow>(encoder_, pending_);
    MainWindow& window = *window_;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    HandIn({music_.filePath(QStringLiteral("missing.mp3"))});
    BoxAnswer ok([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(ok.shown());
    EXPECT_EQ(ok.title(), QStringLiteral("Sonawell"));
    EXPECT_EQ(ok.icon(), QMessageBox::Warning);
    EXPECT_EQ(ok.buttons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(ok.owner(), &window);
    EXPECT_FALSE(ok.text().isEmpty());
}

// --- Layout ----------------------------------------------------------------------------------

using Layout = MainWindowTest;

constexpr int kTwipsPerPixel = 15;

// The client area below the menu bar, where the toolbar strip, the list and the page live.
QRect ClientArea(const MainWindow& window) {
    const int top = window.menuBar()->isVisible() ? window.menuBar()->geometry().bottom() + 1 : 0;
    return QRect(0, top, window.width(), window.height() - top);
}

QRect InWindow(const MainWindow& window, const QWidget* widget) {
    return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
}

// Lengths in twips become whole pixels: each is within half a pixel of its twips, so a
// relation between two of them within one pixel.
void ExpectLaidOut(const MainWindow& window) {
    const auto* page = window.findChild<QWidget*>(QStringLiteral("PageShell"));
    ASSERT_NE(page, nullptr);
    const QRect client = ClientArea(window);
    const QRect toolbar = InWindow(window, window.toolBar());
    const QRect list = InWindow(window, window.jobView());
    const QRect shell = InWindow(window, page);
    const auto twips = [](int pixels) { return pixels * kTwipsPerPixel; };

    EXPECT_EQ(toolbar.top(), client.top());
    EXPECT_TRUE(page->isVisible());
    EXPECT_EQ(shell.height(), 200);  // 3000 twips
    EXPECT_NEAR(twips(client.bottom() - shell.bottom()), 8, kTwipsPerPixel);
    EXPECT_NEAR(twips(shell.left()), 4, kTwipsPerPixel);
    EXPECT_NEAR(twips(shell.width()), twips(client.width()) - 8, kTwipsPerPixel);

    EXPECT_EQ(list.top(), toolbar.bottom() + 1);
    EXPECT_NEAR(twips(shell.top() - list.bottom() - 1), 4, kTwipsPerPixel);
    EXPECT_LT(list.bottom(), shell.top());
    EXPECT_NEAR(twips(list.left()), 4, kTwipsPerPixel);
    EXPECT_NEAR(twips(list.width()), twips(client.width()) - 8, kTwipsPerPixel);
    EXPECT_GT(list.height(), 3 * window.jobView()->header()->height());

    // The last column takes the rest of the list's width, no more.
    const QHeaderView* header = window.jobView()->header();
    const int last = JobTableModel::kColumnCount - 1;
    EXPECT_EQ(header->sectionViewportPosition(last) + header->sectionSize(last),
              window.jobView()->viewport()->width());
    EXPECT_FALSE(window.jobView()->horizontalScrollBar()->isVisible());
}

TEST_F(Layout, OpensWithTheClientSizeAndFollowsEveryResize) {
    MainWindow& window = Open();
    HandIn({Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"))});
    const QRect client = ClientArea(window);
    EXPECT_EQ(client.size(), QSize(578, 441));  // 8670 by 6615 twips
    {
        SCOPED_TRACE("as opened");
        ExpectLaidOut(window);
    }
    const QHeaderView* header = window.jobView()->header();
    const int sourceWidth = header->sectionSize(JobTableModel::kSource);
    for (const QSize size : {QSize(900, 700), QSize(640, 480), QSize(1200, 420)}) {
        SCOPED_TRACE(QStringLiteral("%1 by %2").arg(size.width()).arg(size.height()).toStdString());
        window.resize(size);
        QTest::qWait(20);
        EXPECT_EQ(window.size(), size);
        ExpectLaidOut(window);
        // Only the last column changes with the window.
        EXPECT_EQ(header->sectionSize(JobTableModel::kSource), sourceWidth);
    }
}

TEST_F(Layout, NeverSmallerThanTheMinimumSize) {
    MainWindow& window = Open();
    for (const QSize size : {QSize(200, 150), QSize(900, 300), QSize(400, 900)}) {
        SCOPED_TRACE(QStringLiteral("%1 by %2").arg(size.width()).arg(size.height()).toStdString());
        window.resize(size);
        QTest::qWait(20);
        // 8000 by 6000 twips.
        EXPECT_EQ(window.width(), std::max(size.width(), 533));
        EXPECT_EQ(window.height(), std::max(size.height(), 400));
        ExpectLaidOut(window);
    }
}

TEST_F(Layout, MinimizedNothingMovesAndRestoredItFitsTheNewSize) {
    MainWindow& window = Open();
    const auto* page = window.findChild<QWidget*>(QStringLiteral("PageShell"));
    ASSERT_NE(page, nullptr);
    window.showMinimized();
    QTest::qWait(20);
    ASSERT_TRUE(window.isMinimized());
    const QRect list = window.jobView()->geometry();
    const QRect shell = page->geometry();
    window.resize(900, 700);
    QTest::qWait(20);
    EXPECT_EQ(window.jobView()->geometry(), list);
    EXPECT_EQ(page->geometry(), shell);

    window.showNormal();
    QTest::qWait(20);
    ASSERT_FALSE(window.isMinimized());
    EXPECT_EQ(window.size(), QSize(900, 700));
    ExpectLaidOut(window);
}

// Long paths in the job list: the file name outlasts the folder.
TEST(PathColumns, FolderGivesWayBeforeTheFileName) {
    const QFontMetrics metrics(QApplication::font());
    const QString path = QStringLiteral("/home/user/Music/Some Artist/Some Album/Track 07.mp3");
    EXPECT_EQ(elidePath(path, metrics, metrics.horizontalAdvance(path)), path);

    const int width = metrics.horizontalAdvance(QStringLiteral("/home/us/Track 07.mp3"));
    const QString shown = elidePath(path, metrics, width);
    EXPECT_LE(metrics.horizontalAdvance(shown), width) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("\u2026/Track 07.mp3"))) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/h"))) << shown.toStdString();

    const QString windows = QStringLiteral("C:\\Music\\Some Album\\Track 07.mp3");
    const QString shownWindows =
        elidePath(windows, metrics, metrics.horizontalAdvance(QStringLiteral("C:\\Track 07.mp3")));
    EXPECT_TRUE(shownWindows.endsWith(QStringLiteral("\u2026\\Track 07.mp3")))
        << shownWindows.toStdString();
}

TEST(PathColumns, ANameTooLongByItselfIsCutInItsMiddleAndStillReadsAsAPath) {
    const QFontMetrics metrics(QApplication::font());
    const QString path = QStringLiteral("/music/A very long name of a track that goes on.mp3");
    const int width = metrics.horizontalAdvance(QStringLiteral("A very long.mp3"));
    const QString shown = elidePath(path, metrics, width);
    EXPECT_LE(metrics.horizontalAdvance(shown), width) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("\u2026/A"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral(".mp3"))) << shown.toStdString();

    const QString bare = QStringLiteral("A very long name of a track that goes on.mp3");
    const QString shownBare = elidePath(bare, metrics, width);
    EXPECT_LE(metrics.horizontalAdvance(shownBare), width);
    EXPECT_TRUE(shownBare.startsWith(QStringLiteral("A "))) << shownBare.toStdString();
    EXPECT_TRUE(shownBare.endsWith(QStringLiteral(".mp3"))) << shownBare.toStdString();
}

// --- CPU priority ----------------------------------------------------------------------------

using Priority = MainWindowTest;

TEST_F(Priority, PickingALevelChecksOnlyItAndAppliesItAtOnceWithoutStoringIt) {
    MainWindow& window = Open();
    ASSERT_EQ(Checked(window), QStringList{QStringLiteral("Normal")});
    const QByteArray stored = settings_.bytes();
    const QList<QAction*> items = PriorityItems(window);
    ASSERT_EQ(items.size(), 3);

    items[2]->trigger();  // Low
    EXPECT_EQ(Checked(window), QStringList{QStringLiteral("Low")});
    EXPECT_TRUE(Policy() == SCHED_IDLE || Policy() == SCHED_BATCH) << Policy();

    items[0]->trigger();  // High
    EXPECT_EQ(Checked(window), QStringList{QStringLiteral("High")});
    EXPECT_EQ(Policy(), SCHED_OTHER);
    EXPECT_LE(Nice(), 0);

    items[0]->trigger();  // picked again
    EXPECT_EQ(Checked(window), QStringList{QStringLiteral("High")});

    items[1]->trigger();  // Normal
    EXPECT_EQ(Checked(window), QStringList{QStringLiteral("Normal")});
    EXPECT_EQ(Policy(), SCHED_OTHER);
    EXPECT_EQ(Nice(), 0);

    EXPECT_EQ(settings_.bytes(), stored);
    EXPECT_EQ(appSettings.cpuPriority, 1);
    EXPECT_TRUE(prompt_.messages.isEmpty());
}

TEST_F(Priority, StoredLevelIsCheckedAndAppliedWhenTheWindowOpens) {
    Store(QStringLiteral("General"), QStringLiteral("CPUPriority"), QStringLiteral("0"));
    MainWindow& window = Open();
    EXPECT_EQ(Checked(window), QStringList{QStringLiteral("Low")});
    EXPECT_TRUE(Policy() == SCHED_IDLE || Policy() == SCHED_BATCH) << Policy();
}

TEST_F(Priority, BadStoredLevelChecksNothingAndTheWindowStillGetsReady) {
    for (const char* level : {"3", "-1", "7"}) {
        SCOPED_TRACE(level);
        SetCPUPriority(1);
        Store(QStringLiteral("General"), QStringLiteral("CPUPriority"), QLatin1String(level));
        mainWindowReady = false;
        MainWindow& window = Open();
        EXPECT_TRUE(Checked(window).isEmpty()) << Checked(window).join(u',').toStdString();
        EXPECT_TRUE(prompt_.messages.isEmpty());
        EXPECT_EQ(Policy(), SCHED_OTHER);
        EXPECT_EQ(Nice(), 0);
        // The set-up went on to its end: commands refreshed and handed-in files taken.
        EXPECT_TRUE(CommandsAre(window, {false, false, false}));
        EXPECT_TRUE(mainWindowReady);
        pending_.add(Music(Sources::get().shortMp3(),
                           QStringLiteral("bad%1.mp3").arg(QLatin1String(level))));
        ASSERT_TRUE(WaitFor([&] { return window.jobs().count() == 1; }, 3000));
        EXPECT_TRUE(CommandsAre(window, {true, false, false}));
        window_.reset();
    }
}

}  // namespace
