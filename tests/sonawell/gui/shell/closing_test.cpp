// The main window's close check and unload.
#include "main_window_rig.h"
#include "support/file_fixtures.h"
#include "support/tool_process.h"

#include "core/jobs/job_list_file.h"

#include <optional>

namespace shelltest {

// "a b c" as the list {"a", "b", "c"}.
inline QStringList Words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

// --- Close check and unload ------------------------------------------------------------------

using Closing = MainWindowTest;

// --- The job list kept across a crash ----------------------------------------------------------

const QString kBringBack2 = QStringLiteral(
    "Sonawell ended before it had worked off its job list.\nBring back the 2 unfinished jobs?");

// The built program in a folder of its own, with settings under which it asks nothing and
// starts what it is handed at once.
QString ProgramFolderIn(const QString& folder) {
    const QDir built(testsupport::BinDir());
    for (const char* name : {"sonawell", "libmellorin.so", "libid3prop.so"}) {
        EXPECT_TRUE(QFile::copy(built.filePath(QLatin1String(name)),
                                QDir(folder).filePath(QLatin1String(name))))
            << name;
    }
    const QString ini = QDir(folder).filePath(QStringLiteral("Sonawell.ini"));
    for (const auto& [section, key, value] : std::initializer_list<std::array<QString, 3>>{
             {QStringLiteral("General"), QStringLiteral("Profile"), kProfile},
             {QStringLiteral("General"), QStringLiteral("AutoStart"), QStringLiteral("1")},
             {QStringLiteral("General"), QStringLiteral("CPUPriority"), QStringLiteral("1")},
             {QStringLiteral("General"), QStringLiteral("OverwriteExist"), QStringLiteral("0")},
             {QStringLiteral("Quick Convert"), QStringLiteral("Profile"), kProfile},
             {QStringLiteral("Quick Convert"), QStringLiteral("SameTargetDir"),
              QStringLiteral("1")}}) {
        writeIniValue(ini, section, key, value);
    }
    return QDir(folder).filePath(QStringLiteral("sonawell"));
}

TEST_F(Closing, AfterAKillMidBatchTheUnfinishedJobsComeBackOnceAndEachOutputIsMadeOnce) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString program = ProgramFolderIn(folder.path());
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    const QString b = Music(Sources::get().lastingWav(), QStringLiteral("b.wav"));
    const QString c = Music(Sources::get().shortMp3(), QStringLiteral("c.mp3"));
    {
        // The program's files of its own (its bus service file) stay in the test's folder.
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder.filePath(QStringLiteral("data"))));
        std::optional<testsupport::SpawnedProgram> running(std::in_place, program,
                                                           QStringList{a, b, c});
        ASSERT_TRUE(running->started());
        // Killed while the second job converts, once the list has been kept.
        ASSERT_TRUE(WaitFor([&] {
            return QFileInfo(Target(a, "wma")).size() > 0 && QFile::exists(jobListPath());
        }));
        running.reset();
        qputenv("XDG_DATA_HOME", dataHome);
    }
    ASSERT_FALSE(QFile::exists(Target(b, "wma"))) << "the second job was not under way";
    ASSERT_TRUE(QFile::exists(jobListPath()));

    prompt_.answers = {true};
    MainWindow& window = Open();
    EXPECT_EQ(prompt_.questions, QStringList{kBringBack2});
    ASSERT_EQ(window.jobs().count(), 2);
    EXPECT_EQ(window.jobs().at(1).source, b);
    EXPECT_EQ(window.jobs().at(1).output, Target(b, "wma"));
    EXPECT_EQ(window.jobs().at(2).output, Target(c, "wma"));
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return window.driver().currentJob() == 3; }));
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    EXPECT_EQ(status(1), QStringLiteral("100%"));
    EXPECT_EQ(status(2), QStringLiteral("100%"));
    EXPECT_EQ(QDir(music_.path()).entryList(QDir::Files),
              Words("a.mp3 a.wma b.wav b.wma c.mp3 c.wma"));
    EXPECT_EQ(prompt_.questions.size(), 1) << "asked whether to replace an output";

    // A clean exit with the list worked off leaves nothing to bring back.
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(QFile::exists(jobListPath()));
    Open();
    EXPECT_EQ(prompt_.questions.size(), 1);
    EXPECT_EQ(window_->jobs().count(), 0);
}

TEST_F(Closing, NoToBringingBackDiscardsTheKeptJobsAndIsNotAskedAgain) {
    {
        MainWindow& window = Open();
        HandIn({Music(Sources::get().shortMp3(), QStringLiteral("a.mp3")),
                Music(Sources::get().shortMp3(), QStringLiteral("b.mp3"))});
        ASSERT_TRUE(WaitFor([] { return QFile::exists(jobListPath()); }));
        (void)window;
        window_.reset();  // gone without its unload, as in a crash
    }
    prompt_.answers = {false};
    Open();
    EXPECT_EQ(prompt_.questions, QStringList{kBringBack2});
    EXPECT_EQ(window_->jobs().count(), 0);
    EXPECT_FALSE(QFile::exists(jobListPath()));
    window_.reset();
    Open();
    EXPECT_EQ(prompt_.questions.size(), 1);
}

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
    // The window waits for the stopped run without holding up the event loop, then closes.
    window.close();
    EXPECT_EQ(prompt_.questions.size(), 2);
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
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
    window.close();
    EXPECT_EQ(prompt_.questions, QStringList{kQuestion});
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
    EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
    EXPECT_EQ(encoder_.lastOutcome(), sw::enc::RunOutcome::Stopped);
    EXPECT_FALSE(encoder_.isRunning());
    EXPECT_FALSE(QFile::exists(Target(a, "wma")));
}

TEST_F(Closing, RightAfterStopNoQuestionAndTheEndingRunIsAwaited) {
    MainWindow& window = Open();
    const QString a = Music(Sources::get().longMp3(), QStringLiteral("a.mp3"));
    HandIn({a});
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return encoder_.runState() == sw::enc::RunState::Running; }));
    Click(window, "cmdStopConvert");
    window.close();
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
    EXPECT_TRUE(prompt_.questions.isEmpty());
    EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
    EXPECT_EQ(encoder_.lastOutcome(), sw::enc::RunOutcome::Stopped);
    EXPECT_FALSE(QFile::exists(Target(a, "wma")));
}

TEST_F(Closing, DuringADecodeNoGoesOnYesStopsItAndCloses) {
    MainWindow& window = Open();
    const QString d = Music(Sources::get().wma(), QStringLiteral("d.wma"));
    const QString e = Music(Sources::get().longWma(), QStringLiteral("e.wma"));
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    HandIn({d, e, a});
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(window.driver().isDecoding());

    prompt_.answer = false;
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    // The first decode goes on to its end, and the queue to the second.
    ASSERT_TRUE(
        WaitFor([&] { return window.driver().currentJob() == 2 && window.driver().isDecoding(); }));
    EXPECT_EQ(status(1), QStringLiteral("100%"));

    prompt_.answer = true;
    window.close();
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
    EXPECT_EQ(prompt_.questions, (QStringList{kQuestion, kQuestion}));
    EXPECT_TRUE(status(2).startsWith(QStringLiteral("Stopped ("))) << status(2).toStdString();
    EXPECT_FALSE(QFile::exists(Target(e, "wav")));
    EXPECT_EQ(status(3), QStringLiteral("0%"));
    EXPECT_FALSE(QFile::exists(Target(a, "wma")));
    EXPECT_EQ(testsupport::FolderEntries(music_.path()),
              (QStringList{QStringLiteral("a.mp3"), QStringLiteral("d.wav"),
                           QStringLiteral("d.wma"), QStringLiteral("e.wma")}));
}

// Here the decode is started by the encoder's end notice of the job before it.
TEST_F(Closing, YesDuringADecodeThatFollowsAnEncodingStopsItAndCloses) {
    MainWindow& window = Open();
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    const QString d = Music(Sources::get().longWma(), QStringLiteral("d.wma"));
    const QString c = Music(Sources::get().shortMp3(), QStringLiteral("c.mp3"));
    HandIn({a, d, c});
    prompt_.answer = true;
    DecodeObserver observer(window.driver(), [&] { window.close(); });
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
    EXPECT_TRUE(observer.seen());
    EXPECT_EQ(prompt_.questions, QStringList{kQuestion});
    EXPECT_EQ(status(1), QStringLiteral("100%"));
    EXPECT_TRUE(status(2).startsWith(QStringLiteral("Stopped ("))) << status(2).toStdString();
    EXPECT_FALSE(QFile::exists(Target(d, "wav")));
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
    ASSERT_EQ(window.jobs().count(), 3);
    EXPECT_EQ(window.jobs().at(1).source, a);
    EXPECT_EQ(window.jobs().at(2).source, d);
    // What is not audio is not dropped silently: it has a row that says so.
    EXPECT_EQ(status(3), QStringLiteral("Failed: not an audio file: notes.txt"));
    EXPECT_FALSE(window.driver().isConverting());
    EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
    EXPECT_EQ(status(1), QStringLiteral("0%"));
    EXPECT_EQ(status(2), QStringLiteral("0%"));
    EXPECT_FALSE(QFile::exists(Target(a, "wma")));
    EXPECT_FALSE(QFile::exists(Target(d, "wav")));
    // Nothing starts later either: the encoder never hears of a run.
    QSignalSpy encoderStates(&encoder_, &sw::enc::Encoder::stateChanged);
    EXPECT_FALSE(encoderStates.wait(700));
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
        window.close();
        ASSERT_TRUE(yes.shown());
    }
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
    EXPECT_EQ(encoder_.runState(), sw::enc::RunState::Stopped);
}

TEST_F(Closing, ErrorsAreShownInAnExclamationBoxOverTheWindow) {
    window_ = std::make_unique<MainWindow>(encoder_, pending_);
    MainWindow& window = *window_;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QString source = Music(Sources::get().shortMp3(), QStringLiteral("noformat.mp3"));
    window.jobs().add(source, music_.filePath(QStringLiteral("noformat.wma")), QString());
    window.updateCommands();
    BoxAnswer ok([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(ok.shown());
    EXPECT_EQ(ok.title(), QStringLiteral("Sonawell"));
    EXPECT_EQ(ok.icon(), QMessageBox::Warning);
    EXPECT_EQ(ok.buttons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(ok.owner(), &window);
    EXPECT_FALSE(ok.text().isEmpty());
}

}  // namespace shelltest
