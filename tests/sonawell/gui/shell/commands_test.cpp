// Start, Stop and Delete on the main window, through a real queue.
#include "main_window_rig.h"

namespace shelltest {

// "a b c" as the list {"a", "b", "c"}.
inline QStringList Words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

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
        EXPECT_TRUE(DeleteOfferedFor(window, 1));  // a finished row may go
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
        EXPECT_TRUE(DeleteOfferedFor(window, 1));
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
    EXPECT_TRUE(DeleteOfferedFor(window, 1));
    EXPECT_TRUE(DeleteOfferedFor(window, 2));
    EXPECT_FALSE(MenuCommands(window).start);

    HandIn({Music(Sources::get().shortMp3(), QStringLiteral("c.mp3"))});
    EXPECT_TRUE(MenuCommands(window).start);
    EXPECT_TRUE(ButtonCommands(window).start);
    EXPECT_TRUE(DeleteOfferedFor(window, 3));
    Click(window, "cmdStartConvert");
    EXPECT_EQ(window.driver().currentJob(), 3);
    EXPECT_FALSE(DeleteOfferedFor(window, 3));
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    EXPECT_EQ(status(3), QStringLiteral("100%"));
    EXPECT_TRUE(CommandsAre(window, {false, false, true}));  // row 3, finished, selected
}

TEST_F(CommandStates, DuringADecodeStopEndsItAndHaltsTheQueue) {
    MainWindow& window = Open();
    const QString d = Music(Sources::get().longWma(), QStringLiteral("d.wma"));
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
        // Stopped; nothing can be started until the decode has ended, moments later.
        EXPECT_TRUE(CommandsAre(window, {false, false, true}));
        EXPECT_FALSE(DeleteOfferedFor(window, 1));
    });
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return observer.seen() && window.driver().canStart(); }));

    EXPECT_FALSE(window.driver().isConverting());
    EXPECT_EQ(window.driver().currentJob(), 1);
    EXPECT_TRUE(status(1).startsWith(QStringLiteral("Stopped ("))) << status(1).toStdString();
    EXPECT_FALSE(QFile::exists(Target(d, "wav")));
    EXPECT_EQ(status(2), QStringLiteral("0%"));
    EXPECT_FALSE(QFile::exists(Target(a, "wma")));
    EXPECT_TRUE(CommandsAre(window, {true, false, true}));
    EXPECT_TRUE(prompt_.messages.isEmpty()) << prompt_.messages.join(u'\n').toStdString();
}

TEST_F(CommandStates, AMissingSourceFailsItsRowAndTheQueueGoesOnWithoutABox) {
    MainWindow& window = Open();
    const QString a = music_.filePath(QStringLiteral("a.mp3"));
    const QString b = Music(Sources::get().shortMp3(), QStringLiteral("b.mp3"));
    HandIn({a, b});  // a.mp3 is not there
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return window.driver().currentJob() == 3; }));
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    EXPECT_EQ(status(1), QStringLiteral("Failed: file not found"));
    EXPECT_EQ(status(2), QStringLiteral("100%"));
    EXPECT_TRUE(prompt_.messages.isEmpty()) << prompt_.messages.join(u'\n').toStdString();
}

TEST_F(CommandStates, ARefusedStartLeavesTheJobCurrentAndStartOffered) {
    MainWindow& window = Open();
    const QString b = Music(Sources::get().shortMp3(), QStringLiteral("b.mp3"));
    window.jobs().add(b, music_.filePath(QStringLiteral("b.wma")), QString());  // no format
    window.updateCommands();
    Click(window, "cmdStartConvert");
    EXPECT_EQ(prompt_.messages.size(), 1);
    EXPECT_FALSE(window.driver().isConverting());
    EXPECT_EQ(window.driver().currentJob(), 1);
    EXPECT_TRUE(CommandsAre(window, {true, false, false}));
    EXPECT_TRUE(DeleteOfferedFor(window, 1));
}

// --- Delete ----------------------------------------------------------------------------------

using Delete = MainWindowTest;

TEST_F(Delete, RemovesTheSelectedRowsButNeverTheRunningOne) {
    MainWindow& window = Open();
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    const QString b = Music(Sources::get().longMp3(), QStringLiteral("b.mp3"));
    const QString c = Music(Sources::get().shortMp3(), QStringLiteral("c.mp3"));
    const QString e = Music(Sources::get().shortMp3(), QStringLiteral("e.mp3"));
    const QString f = Music(Sources::get().shortMp3(), QStringLiteral("f.mp3"));
    HandIn({a, b, c, e, f});

    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor(
        [&] { return window.driver().currentJob() == 2 && window.driver().isConverting(); }));
    // The running job alone stays, whether clicked or in a selection with others.
    ClickRow(window, 2);
    Click(window, "cmdDeleteJob");
    ASSERT_EQ(window.jobs().count(), 5);
    ClickRow(window, 1);
    QTest::mouseClick(
        window.jobView()->viewport(), Qt::LeftButton, Qt::ControlModifier,
        window.jobView()->visualRect(window.jobView()->model()->index(1, 0)).center());
    QTest::mouseClick(
        window.jobView()->viewport(), Qt::LeftButton, Qt::ControlModifier,
        window.jobView()->visualRect(window.jobView()->model()->index(2, 0)).center());
    ASSERT_EQ(window.jobView()->selectionModel()->selectedRows().size(), 3);
    EXPECT_TRUE(CommandsAre(window, {false, true, true}));
    // The Delete key runs the same command.
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(window.jobView(), Qt::Key_Delete);
    ASSERT_EQ(window.jobs().count(), 3);
    EXPECT_EQ(window.jobs().at(1).source, b);
    EXPECT_EQ(window.jobs().at(2).source, e);
    EXPECT_EQ(window.jobs().at(3).source, f);
    EXPECT_EQ(window.driver().currentJob(), 1);
    EXPECT_TRUE(window.driver().isConverting());

    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(status(row), QStringLiteral("100%")) << row;
    }
    EXPECT_GT(QFileInfo(Target(a, "wma")).size(), 0);  // it had been converted
    EXPECT_FALSE(QFile::exists(Target(c, "wma")));
    EXPECT_GT(QFileInfo(Target(f, "wma")).size(), 0);
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
    // The row that moved up is the selected one, so Delete applies to it.
    EXPECT_TRUE(CommandsAre(window, {true, false, true}));

    window.jobView()->selectionModel()->clearSelection();
    EXPECT_TRUE(CommandsAre(window, {true, false, false}));
    Click(window, "cmdDeleteJob");
    EXPECT_EQ(window.jobs().count(), 1);

    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    EXPECT_EQ(status(1), QStringLiteral("100%"));
    EXPECT_FALSE(QFile::exists(Target(a, "wma")));
}

// --- Working the list ------------------------------------------------------------------------

using WorkingTheList = MainWindowTest;

inline void Trigger(QMenu* menu, const QString& caption) {
    QAction* item = MenuItem(menu, caption);
    ASSERT_NE(item, nullptr) << caption.toStdString();
    ASSERT_TRUE(item->isEnabled()) << caption.toStdString();
    item->trigger();
}

TEST_F(WorkingTheList, MovedJobsAreConvertedInTheOrderTheListShows) {
    MainWindow& window = Open();
    QMenu* file = TopMenu(window, QStringLiteral("&File"));
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    const QString b = Music(Sources::get().shortMp3(), QStringLiteral("b.mp3"));
    const QString c = Music(Sources::get().shortMp3(), QStringLiteral("c.mp3"));
    const QString d = Music(Sources::get().shortMp3(), QStringLiteral("d.mp3"));
    HandIn({a, b, c, d});
    QStringList started;
    QObject::connect(&window.jobs(), &JobStore::changed, &window, [&](int row) {
        const Job& job = window.jobs().at(row);
        if (job.state == JobState::Converting && !started.contains(job.source)) {
            started << job.source;
        }
    });
    ClickRow(window, 1);
    EXPECT_FALSE(Enabled(MenuItem(file, QStringLiteral("Move Up"))));
    Trigger(file, QStringLiteral("Move Down"));  // a below b
    ClickRow(window, 4);
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(window.jobView(), Qt::Key_Up, Qt::ControlModifier);  // d above c
    // The moved row stays selected, so the command can be given again.
    Trigger(file, QStringLiteral("Move Up"));  // d above a
    EXPECT_EQ(window.jobView()->selectionModel()->selectedRows().first().row(), 1);
    // A drop in the list moves rows the same way: c first.
    QAbstractItemModel* model = window.jobView()->model();
    std::unique_ptr<QMimeData> dragged(model->mimeData({model->index(3, 0)}));
    ASSERT_TRUE(model->dropMimeData(dragged.get(), Qt::MoveAction, 0, 0, {}));
    const QStringList shown{window.jobs().at(1).source, window.jobs().at(2).source,
                            window.jobs().at(3).source, window.jobs().at(4).source};
    EXPECT_EQ(shown, (QStringList{c, b, d, a}));
    EXPECT_EQ(model->index(0, JobTableModel::kSource).data().toString(), c);

    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    EXPECT_EQ(started, shown);
}

TEST_F(WorkingTheList, ClearFinishedThenRetryFailedConvertsTheFailedJobOnce) {
    MainWindow& window = Open();
    QMenu* file = TopMenu(window, QStringLiteral("&File"));
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    const QString late = music_.filePath(QStringLiteral("late.mp3"));  // not there yet
    HandIn({a, late});
    EXPECT_FALSE(Enabled(MenuItem(file, QStringLiteral("Clear Finished"))));
    EXPECT_FALSE(Enabled(MenuItem(file, QStringLiteral("Retry Failed"))));
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return window.driver().currentJob() == 3; }));
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    EXPECT_EQ(status(2), QStringLiteral("Failed: file not found"));

    Trigger(file, QStringLiteral("Clear Finished"));
    ASSERT_EQ(window.jobs().count(), 1);
    EXPECT_EQ(window.jobs().at(1).source, late);
    EXPECT_FALSE(Enabled(MenuItem(file, QStringLiteral("Clear Finished"))));

    Music(Sources::get().shortMp3(), QStringLiteral("late.mp3"));
    Trigger(file, QStringLiteral("Retry Failed"));
    ASSERT_EQ(window.jobs().count(), 1);
    EXPECT_EQ(status(1), QStringLiteral("0%"));
    EXPECT_TRUE(CommandsAre(window, {true, false, false}));
    Click(window, "cmdStartConvert");
    ASSERT_TRUE(WaitFor([&] { return !window.driver().isConverting(); }));
    EXPECT_EQ(status(1), QStringLiteral("100%"));
    EXPECT_EQ(QDir(music_.path()).entryList(QDir::Files), Words("a.mp3 a.wma late.mp3 late.wma"));
}

}  // namespace shelltest
