// Add Job, the shortcuts and the other menu commands of the main window.
#include "main_window_rig.h"

namespace shelltest {

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
    EXPECT_TRUE(CommandsAre(window, {false, false, true}));  // row 3, done, may go
    EXPECT_TRUE(prompt_.messages.isEmpty()) << prompt_.messages.join(u'\n').toStdString();
}

// A drop of a folder tree and loose files lists the audio files found, the folder's in name
// order, with the outputs and formats that the dialog's browse button gives the same files. In
// a folder only the names count; a loose file the name says nothing of counts by its content.
TEST_F(AddJob, DroppedFolderTreeIsListedAsIfChosenWithBrowse) {
    MainWindow& window = Open();
    const QString tree = music_.filePath(QStringLiteral("tree"));
    ASSERT_TRUE(QDir().mkpath(tree + QStringLiteral("/sub")));
    for (const char* name : {"tree/b.wav", "tree/A.MP3", "tree/sub/c.wma", "tree/notes.txt",
                             "tree/sub/d.Mp2", "tree/xmp3", "loose.wma", "loose-notes.txt"}) {
        QFile file(music_.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name;
    }
    ASSERT_TRUE(testsupport::MakeWav(tree + QStringLiteral("/take"), 0.2));
    const QString looseWave = music_.filePath(QStringLiteral("loose take"));
    ASSERT_TRUE(testsupport::MakeWav(looseWave, 0.2));
    const QStringList expected{tree + QStringLiteral("/A.MP3"),
                               tree + QStringLiteral("/b.wav"),
                               tree + QStringLiteral("/sub/c.wma"),
                               tree + QStringLiteral("/sub/d.Mp2"),
                               music_.filePath(QStringLiteral("loose.wma")),
                               looseWave};

    QStringList listed, outputs, formats;
    ModalAnswer dropped([&](QDialog* opened) {
        auto* dialog = qobject_cast<AddJobDialog*>(opened);
        ASSERT_NE(dialog, nullptr);
        for (int row = 0; row < dialog->sourceList()->count(); ++row) {
            listed << dialog->sourceList()->item(row)->text();
        }
        outputs = dialog->outputs;
        formats = dialog->formats;
    });
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(tree),
                  QUrl::fromLocalFile(music_.filePath(QStringLiteral("loose.wma"))),
                  QUrl::fromLocalFile(music_.filePath(QStringLiteral("loose-notes.txt"))),
                  QUrl::fromLocalFile(looseWave)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &drop);
    ASSERT_TRUE(WaitFor([&] { return !dropped.dialog().isEmpty(); }));
    EXPECT_EQ(listed, expected);

    AddJobDialog browsed(encoder_.profiles(), &window);
    browsed.chooseSources = [&] { return expected; };
    browsed.browseSourceButton()->click();
    EXPECT_EQ(outputs, browsed.outputs);
    EXPECT_EQ(formats, browsed.formats);
    EXPECT_EQ(window.jobs().count(), 0) << "the dropped files wait for OK";
    // The dropped file that is not audio is named, not left out without a word.
    ASSERT_TRUE(WaitFor([&] { return !prompt_.messages.isEmpty(); }));
    EXPECT_TRUE(prompt_.messages.join(QLatin1Char('|')).contains(QStringLiteral("loose-notes.txt")))
        << prompt_.messages.join(QLatin1Char('|')).toStdString();
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
            options->priorityButton(2)->click();  // High
            options->autoStartBox()->setChecked(true);
            options->okButton()->click();
        });
        MenuItem(TopMenu(window, QStringLiteral("&Tools")), QStringLiteral("Options"))->trigger();
        ASSERT_EQ(answer.dialog(), QStringLiteral("OptionsDialog"));
    }
    EXPECT_EQ(
        readIniValue(settings_.iniPath(), QStringLiteral("General"), QStringLiteral("CPUPriority")),
        QStringLiteral("2"));
    EXPECT_EQ(Checked(window), QStringList{QStringLiteral("Normal")});
    EXPECT_EQ(encoder_.cpuPriority(), sw::enc::CpuPriority::Normal);
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

}  // namespace shelltest
