// Start, Stop and Delete on the main window, through a real queue.
#include "main_window_rig.h"

namespace shelltest {

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

}  // namespace shelltest
