#pragma once

// What the main window tests share: the commands as a user sees them, made sources, and a
// fixture with a settings file, an encoder and a window of its own.
#include "gui/main_window.h"

#include "sonawell/gui/dialogs/dialog_test_support.h"
#include "sonawell/recording_prompt.h"
#include "support/audio_fixtures.h"

#include "core/engine/app_state.h"
#include "core/settings/app_settings.h"
#include "core/settings/ini_file.h"
#include "encoder/thread_priority.h"
#include "gui/about_dialog.h"
#include "gui/dialogs/add_job_dialog.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/help_window.h"
#include "gui/path_delegate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
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

#include <array>
#include <functional>
#include <memory>

namespace shelltest {

const QString kProfile = QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)");
const QString kQuestion = QStringLiteral("Stop the converting and exit Sonawell?");
// Only a hang guard: on a busy machine, or under a sanitizer, a batch takes many times its
// usual time.
constexpr int kWaitMs = 120000;

// Start, Stop and Delete as a user sees them: the File menu's items and the toolbar's buttons.
struct Commands {
    bool start = false;
    bool stop = false;
    bool del = false;
    bool operator==(const Commands&) const = default;
};

inline QString Describe(const Commands& c) {
    return QStringLiteral("Start %1, Stop %2, Delete %3")
        .arg(c.start ? QLatin1String("on") : QLatin1String("off"),
             c.stop ? QLatin1String("on") : QLatin1String("off"),
             c.del ? QLatin1String("on") : QLatin1String("off"));
}

inline QMenu* TopMenu(const QMainWindow& window, const QString& title) {
    for (QAction* action : window.menuBar()->actions()) {
        if (action->text() == title && action->menu()) {
            return action->menu();
        }
    }
    return nullptr;
}

inline QAction* MenuItem(QMenu* menu, const QString& caption) {
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

inline QToolButton* Button(const MainWindow& window, const char* key) {
    return window.toolBar()->findChild<QToolButton*>(QLatin1String(key));
}

inline bool Enabled(const QAction* item) {
    return item != nullptr && item->isEnabled();
}

inline bool Enabled(const QWidget* button) {
    return button != nullptr && button->isVisible() && button->isEnabled();
}

inline Commands MenuCommands(const MainWindow& window) {
    QMenu* file = TopMenu(window, QStringLiteral("&File"));
    return {Enabled(MenuItem(file, QStringLiteral("&Start Conversion"))),
            Enabled(MenuItem(file, QStringLiteral("Stop Conversion"))),
            Enabled(MenuItem(file, QStringLiteral("Delete Job")))};
}

inline Commands ButtonCommands(const MainWindow& window) {
    return {Enabled(Button(window, "cmdStartConvert")), Enabled(Button(window, "cmdStopConvert")),
            Enabled(Button(window, "cmdDeleteJob"))};
}

inline ::testing::AssertionResult CommandsAre(const MainWindow& window, const Commands& expected) {
    const Commands menu = MenuCommands(window);
    const Commands buttons = ButtonCommands(window);
    if (menu == expected && buttons == expected) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "expected " << Describe(expected).toStdString() << "; menu shows "
           << Describe(menu).toStdString() << ", toolbar shows " << Describe(buttons).toStdString();
}

inline void ClickRow(MainWindow& window, int row) {
    QTreeView* view = window.jobView();
    const QModelIndex index = view->model()->index(row - 1, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

inline void Click(const MainWindow& window, const char* key) {
    QToolButton* button = Button(window, key);
    ASSERT_NE(button, nullptr) << key;
    QTest::mouseClick(button, Qt::LeftButton);
}

// Whether Delete is offered, in menu and toolbar alike, once the user has clicked `row`.
inline ::testing::AssertionResult DeleteOfferedFor(MainWindow& window, int row) {
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

inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = kWaitMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

// Sources made once: a short and a long tone in MP3 and WMA; each test copies them.
class Sources {
public:
    static const Sources& get() {
        static const Sources sources;
        return sources;
    }
    QString shortMp3() const { return dir_.filePath(QStringLiteral("short.mp3")); }
    QString longMp3() const { return dir_.filePath(QStringLiteral("long.mp3")); }
    QString wma() const { return dir_.filePath(QStringLiteral("tone.wma")); }
    // Long enough that a decode of it is still under way when a test acts on it.
    QString longWma() const { return dir_.filePath(QStringLiteral("long.wma")); }
    // A quarter of an hour of narrow-band mono, made CD-quality stereo: a run that lasts.
    QString lastingWav() const { return dir_.filePath(QStringLiteral("lasting.wav")); }
    bool ok() const { return ok_; }

private:
    Sources() {
        ok_ = testsupport::MakeMp3(shortMp3(), 1.0) && testsupport::MakeMp3(longMp3(), 120.0) &&
              testsupport::MakeWma(wma(), 30.0) &&
              testsupport::MakeWma(longWma(), 600.0, 22050, 1) &&
              testsupport::MakeWav(lastingWav(), 900.0, 8000, 1);
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
        ASSERT_TRUE(state_.isValid());
        // The job list kept across a crash goes to this test's own folder.
        qputenv("XDG_STATE_HOME", QFile::encodeName(state_.path()));
        mainWindowReady = false;
        Store(QStringLiteral("General"), QStringLiteral("Profile"), kProfile);
        Store(QStringLiteral("Quick Convert"), QStringLiteral("Profile"), kProfile);
        Store(QStringLiteral("General"), QStringLiteral("CPUPriority"), QStringLiteral("1"));
        Store(QStringLiteral("General"), QStringLiteral("AutoStart"), QStringLiteral("0"));
    }

    void TearDown() override {
        window_.reset();
        mainWindowReady = false;
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
            ASSERT_TRUE(added.wait(kWaitMs)) << "the window did not take the handed-in paths";
        }
    }

    QString status(int row) const { return statusText(window_->jobs().at(row)); }

    dialogtest::TempSettings settings_;
    QTemporaryDir state_;
    QTemporaryDir music_;
    sw::enc::Encoder encoder_;
    PendingJobs pending_;
    RecordingPrompt prompt_{false};
    std::unique_ptr<MainWindow> window_;
};

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

inline QList<QAction*> PriorityItems(const MainWindow& window) {
    QMenu* tools = TopMenu(window, QStringLiteral("&Tools"));
    QAction* root = MenuItem(tools, QStringLiteral("CPU Priority"));
    return root && root->menu() ? root->menu()->actions() : QList<QAction*>{};
}

inline QStringList Checked(const MainWindow& window) {
    QStringList checked;
    for (const QAction* item : PriorityItems(window)) {
        if (item->isChecked()) {
            checked << item->text();
        }
    }
    return checked;
}

// The main thread's scheduling as the kernel reports it.
inline int Policy() {
    return sched_getscheduler(0);
}
inline int Nice() {
    errno = 0;
    return getpriority(PRIO_PROCESS, 0);
}

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
              dialog->browseSourceButton()->click();
              (ok ? dialog->okButton() : dialog->cancelButton())->click();
          }) {}
    bool answered() const { return modal_.dialog() == QLatin1String("AddJobDialog"); }
    bool ownedByWindow() const { return modal_.owner() == &window_; }

private:
    const MainWindow& window_;
    ModalAnswer modal_;
};

}  // namespace shelltest
