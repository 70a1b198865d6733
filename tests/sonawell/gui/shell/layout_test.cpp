// The main window's layout, its path columns and the CPU priority menu.
#include "main_window_rig.h"

#include <QProcess>
#include <QStatusBar>

#include <linux/capability.h>
#include <sys/prctl.h>

namespace shelltest {

// --- Layout ----------------------------------------------------------------------------------

using Layout = MainWindowTest;

// Delivers the resize and window-state events a change has posted.
void LetEventsRun() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// The client area below the menu bar, where the toolbar, the list, the page and the status
// bar live.
QRect ClientArea(const MainWindow& window) {
    const int top = window.menuBar()->isVisible() ? window.menuBar()->geometry().bottom() + 1 : 0;
    return QRect(0, top, window.width(), window.height() - top);
}

QRect InWindow(const MainWindow& window, const QWidget* widget) {
    return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
}

// Toolbar, list, page and status bar from top to bottom, each across the window, none over
// another, the page and the list at least as large as they ask to be.
void ExpectLaidOut(const MainWindow& window) {
    const auto* page = window.findChild<QWidget*>(QStringLiteral("PageShell"));
    ASSERT_NE(page, nullptr);
    const QRect client = ClientArea(window);
    const QRect toolbar = InWindow(window, window.toolBar());
    const QRect list = InWindow(window, window.jobView());
    const QRect shell = InWindow(window, page);
    const QRect status = InWindow(window, window.statusBar());

    EXPECT_EQ(toolbar.top(), client.top());
    EXPECT_TRUE(page->isVisible());
    EXPECT_GE(shell.height(), page->minimumSizeHint().height());
    EXPECT_GT(list.top(), toolbar.bottom());
    EXPECT_LT(list.bottom(), shell.top());
    EXPECT_LT(shell.bottom(), status.top());
    EXPECT_EQ(status.bottom(), client.bottom());
    for (const QRect& part : {list, shell, status}) {
        EXPECT_GE(part.left(), client.left());
        EXPECT_LE(part.right(), client.right());
        EXPECT_GT(part.width(), client.width() * 9 / 10);
    }
    EXPECT_GT(list.height(), 3 * window.jobView()->header()->height());

    // The last column takes the rest of the list's width, no more.
    const QHeaderView* header = window.jobView()->header();
    const int last = JobTableModel::kColumnCount - 1;
    EXPECT_EQ(header->sectionViewportPosition(last) + header->sectionSize(last),
              window.jobView()->viewport()->width());
    EXPECT_FALSE(window.jobView()->horizontalScrollBar()->isVisible());
}

TEST_F(Layout, OpensShowingEveryColumnAndFollowsEveryResize) {
    MainWindow& window = Open();
    HandIn({Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"))});
    const int firstWidth = window.width();
    {
        SCOPED_TRACE("as opened");
        ExpectLaidOut(window);
    }
    const QHeaderView* header = window.jobView()->header();
    // Every column readable at the first size: the status fits its usual texts (a longer one
    // elides, with its reason as a tooltip), the format column enough of a profile's name to
    // tell it from the others.
    const QFontMetrics metrics = window.jobView()->fontMetrics();
    EXPECT_GT(header->sectionSize(JobTableModel::kStatus),
              metrics.horizontalAdvance(QStringLiteral("Stopped (100%)")));
    EXPECT_GT(header->sectionSize(JobTableModel::kFormat),
              metrics.horizontalAdvance(QStringLiteral("Audio for FM radio quality (64")));
    for (int column = 0; column < JobTableModel::kColumnCount; ++column) {
        EXPECT_LE(header->sectionViewportPosition(column) + header->sectionSize(column),
                  window.jobView()->viewport()->width())
            << column;
    }
    const int sourceWidth = header->sectionSize(JobTableModel::kSource);
    const int narrow = window.minimumWidth() + 40;
    for (const QSize asked :
         {QSize(firstWidth + 120, 700), QSize(narrow, 480), QSize(firstWidth + 420, 420)}) {
        const QSize size = asked.expandedTo(window.minimumSize());
        SCOPED_TRACE(QStringLiteral("%1 by %2").arg(size.width()).arg(size.height()).toStdString());
        window.resize(size);
        LetEventsRun();
        EXPECT_EQ(window.size(), size);
        ExpectLaidOut(window);
        // Only the last column changes with a window at least as wide as the first one; a
        // narrower one shortens the paths instead of needing a scroll bar, and gives the
        // width back when it widens again.
        if (size.width() >= firstWidth) {
            EXPECT_EQ(header->sectionSize(JobTableModel::kSource), sourceWidth);
        } else {
            EXPECT_LT(header->sectionSize(JobTableModel::kSource), sourceWidth);
        }
    }
}

TEST_F(Layout, TheUsersSizeAndColumnWidthsAreKeptForTheNextStart) {
    MainWindow& window = Open();
    const int firstWidth = window.width();
    const int firstSourceWidth = window.jobView()->columnWidth(JobTableModel::kSource);
    const QSize userSize = QSize(760, 590).expandedTo(window.minimumSize());
    window.resize(userSize);
    LetEventsRun();
    const std::array<int, JobTableModel::kColumnCount - 1> widths{170, 70, 160, 66, 210};
    for (int column = 0; column < static_cast<int>(widths.size()); ++column) {
        window.jobView()->setColumnWidth(column, widths[column]);
    }
    ASSERT_TRUE(window.close());
    window_.reset();
    EXPECT_EQ(readIniValue(settings_.iniPath(), QStringLiteral("Window"), QStringLiteral("Width")),
              QString::number(userSize.width()));

    MainWindow& again = Open();
    EXPECT_EQ(again.size(), userSize);
    for (int column = 0; column < static_cast<int>(widths.size()); ++column) {
        EXPECT_EQ(again.jobView()->columnWidth(column), widths[column]) << column;
    }
    ExpectLaidOut(again);

    // Widths that can't all be used are all dropped; the window opens at its first size.
    Store(QStringLiteral("Window"), QStringLiteral("ColumnWidths"), QStringLiteral("210,x,5"));
    Store(QStringLiteral("Window"), QStringLiteral("Width"), QStringLiteral("wide"));
    window_.reset();
    MainWindow& fresh = Open();
    EXPECT_EQ(fresh.width(), firstWidth);
    EXPECT_EQ(fresh.jobView()->columnWidth(JobTableModel::kSource), firstSourceWidth);
}

TEST_F(Layout, RowsShowTheirStateAndTheSelectedJobsDetails) {
    MainWindow& window = Open();
    const QString a = Music(Sources::get().shortMp3(), QStringLiteral("a.mp3"));
    const QString b = Music(Sources::get().shortMp3(), QStringLiteral("b.mp3"));
    HandIn({a, b});
    const QAbstractItemModel& model = *window.jobView()->model();
    const auto cell = [&](int row, int column, int role = Qt::DisplayRole) {
        return model.data(model.index(row - 1, column), role);
    };
    const auto icon = [&](int row) {
        return cell(row, JobTableModel::kSource, Qt::DecorationRole).value<QIcon>().cacheKey();
    };
    const auto* details = window.findChild<QLabel*>(QStringLiteral("lblSelectedJob"));
    ASSERT_NE(details, nullptr);

    // An older file at the target path is not the failed job's output.
    const QString target = window.jobs().at(1).output;
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(2 * 1024 * 1024, 'x'));
    old.close();
    const QString reason = QStringLiteral(
        "The source could not be read: the file ends in the middle of a frame "
        "header, 1.2 s before its stated length\nffmpeg: invalid data");
    window.jobs().setState(1, JobState::Failed, reason);
    window.jobs().measureOutput(1);
    EXPECT_EQ(cell(1, JobTableModel::kTargetSize).toString(), QStringLiteral("-"));
    EXPECT_EQ(cell(1, JobTableModel::kStatus, Qt::ToolTipRole).toString(), reason);
    EXPECT_EQ(cell(1, JobTableModel::kTarget, Qt::ToolTipRole).toString(), target);
    EXPECT_EQ(cell(1, JobTableModel::kFormat, Qt::ToolTipRole).toString(), kProfile);

    ClickRow(window, 1);
    EXPECT_TRUE(details->text().contains(reason)) << details->text().toStdString();
    EXPECT_TRUE(details->text().contains(target)) << details->text().toStdString();
    ClickRow(window, 2);
    EXPECT_FALSE(details->text().contains(reason));
    EXPECT_TRUE(details->text().contains(b)) << details->text().toStdString();

    // Stopped looks like waiting, not like converting; a damaged source gets its own picture.
    const qint64 waiting = icon(2);
    window.jobs().setState(1, JobState::Converting);
    const qint64 converting = icon(1);
    EXPECT_NE(converting, waiting);
    window.jobs().setState(1, JobState::Stopped);
    EXPECT_EQ(icon(1), waiting);
    window.jobs().setState(1, JobState::DoneDamaged);
    EXPECT_NE(icon(1), waiting);
    EXPECT_NE(icon(1), converting);
    EXPECT_FALSE(cell(1, JobTableModel::kSource, Qt::DecorationRole).value<QIcon>().isNull());
}

TEST_F(Layout, NeverSmallerThanTheMinimumSize) {
    MainWindow& window = Open();
    for (const QSize size : {QSize(200, 150), QSize(900, 300), QSize(400, 900)}) {
        SCOPED_TRACE(QStringLiteral("%1 by %2").arg(size.width()).arg(size.height()).toStdString());
        window.resize(size);
        LetEventsRun();
        // As small as the layout allows, and no smaller.
        const QSize least = window.minimumSize();
        EXPECT_GT(least.width(), 0);
        EXPECT_GT(least.height(), 0);
        EXPECT_EQ(window.width(), std::max(size.width(), least.width()));
        EXPECT_EQ(window.height(), std::max(size.height(), least.height()));
        ExpectLaidOut(window);
    }
}

TEST_F(Layout, ResizedWhileMinimizedItFitsTheNewSizeOnceRestored) {
    MainWindow& window = Open();
    window.showMinimized();
    LetEventsRun();
    ASSERT_TRUE(window.isMinimized());
    const QSize size = QSize(900, 700).expandedTo(window.minimumSize());
    window.resize(size);
    LetEventsRun();

    window.showNormal();
    LetEventsRun();
    ASSERT_FALSE(window.isMinimized());
    EXPECT_EQ(window.size(), size);
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

// A level is the conversion threads' from the next run on; the UI thread stays normal.
TEST_F(Priority, PickingALevelChecksOnlyItAndAppliesItAtOnceWithoutStoringIt) {
    MainWindow& window = Open();
    ASSERT_EQ(Checked(window), QStringList{QStringLiteral("Normal")});
    const QByteArray stored = settings_.bytes();
    const QList<QAction*> items = PriorityItems(window);
    ASSERT_EQ(items.size(), 3);

    items[2]->trigger();  // Low
    EXPECT_EQ(Checked(window), QStringList{QStringLiteral("Low")});
    EXPECT_EQ(encoder_.cpuPriority(), sw::enc::CpuPriority::Low);
    EXPECT_EQ(Policy(), SCHED_OTHER);
    EXPECT_EQ(Nice(), 0);

    items[0]->trigger();  // High
    EXPECT_EQ(Checked(window), QStringList{QStringLiteral("High")});
    EXPECT_EQ(encoder_.cpuPriority(), sw::enc::CpuPriority::High);
    EXPECT_EQ(Policy(), SCHED_OTHER);
    EXPECT_EQ(Nice(), 0);

    items[0]->trigger();  // picked again
    EXPECT_EQ(Checked(window), QStringList{QStringLiteral("High")});

    items[1]->trigger();  // Normal
    EXPECT_EQ(Checked(window), QStringList{QStringLiteral("Normal")});
    EXPECT_EQ(encoder_.cpuPriority(), sw::enc::CpuPriority::Normal);
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
    EXPECT_EQ(encoder_.cpuPriority(), sw::enc::CpuPriority::Low);
    EXPECT_EQ(Policy(), SCHED_OTHER);
    EXPECT_EQ(
        readIniValue(settings_.iniPath(), QStringLiteral("General"), QStringLiteral("CPUPriority")),
        QStringLiteral("0"));
}

// Where High can't be had, its item says so and stays offered: the level is the user's all the
// same. Two rows: as this user, and this same test again in a child that can't raise its
// priority (no CAP_SYS_NICE, RLIMIT_NICE 0, no RealtimeKit on its system bus).
TEST_F(Priority, TheHighItemSaysWhenHighIsNotAvailable) {
    constexpr char kWithoutHigh[] = "SONAWELL_TEST_WITHOUT_HIGH";
    const bool inChild = qEnvironmentVariableIsSet(kWithoutHigh);
    const bool available = sw::enc::HighPriorityAvailable();
    if (inChild) {
        ASSERT_FALSE(available) << "the child could still raise its priority";
    }
    MainWindow& window = Open();
    const QAction* high = PriorityItems(window).value(0);
    ASSERT_NE(high, nullptr);
    const QString note =
        QStringLiteral("High priority is not available on this system; conversions run at Normal");
    EXPECT_EQ(high->toolTip() == note, !available) << high->toolTip().toStdString();
    EXPECT_EQ(high->statusTip() == note, !available) << high->statusTip().toStdString();
    EXPECT_TRUE(high->isEnabled());
    if (inChild) {
        return;
    }

    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments(
        {QStringLiteral("--gtest_filter=Priority.TheHighItemSaysWhenHighIsNotAvailable")});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(kWithoutHigh), QStringLiteral("1"));
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + music_.filePath(QStringLiteral("no-bus")));
    child.setProcessEnvironment(environment);
    child.setChildProcessModifier([] {
        // Out of the bounding set, CAP_SYS_NICE stays gone for root across exec.
        ::prctl(PR_CAPBSET_DROP, CAP_SYS_NICE, 0, 0, 0);
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_NICE, &none);
    });
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start();
    ASSERT_TRUE(child.waitForFinished(kWaitMs * 2));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(
        QStringLiteral("[       OK ] Priority.TheHighItemSaysWhenHighIsNotAvailable")))
        << output.toStdString();
}

TEST_F(Priority, BadStoredLevelChecksNothingAndTheWindowStillGetsReady) {
    for (const char* level : {"3", "-1", "7"}) {
        SCOPED_TRACE(level);
        encoder_.setCpuPriority(sw::enc::CpuPriority::Low);
        Store(QStringLiteral("General"), QStringLiteral("CPUPriority"), QLatin1String(level));
        mainWindowReady = false;
        MainWindow& window = Open();
        EXPECT_TRUE(Checked(window).isEmpty()) << Checked(window).join(u',').toStdString();
        EXPECT_TRUE(prompt_.messages.isEmpty());
        EXPECT_EQ(encoder_.cpuPriority(), sw::enc::CpuPriority::Normal);
        EXPECT_EQ(Policy(), SCHED_OTHER);
        EXPECT_EQ(Nice(), 0);
        // The set-up went on to its end: commands refreshed and handed-in files taken.
        EXPECT_TRUE(CommandsAre(window, {false, false, false}));
        EXPECT_TRUE(mainWindowReady);
        pending_.add(Music(Sources::get().shortMp3(),
                           QStringLiteral("bad%1.mp3").arg(QLatin1String(level))));
        ASSERT_TRUE(WaitFor([&] { return window.jobs().count() == 1; }));
        EXPECT_TRUE(CommandsAre(window, {true, false, false}));
        window_.reset();
    }
}

}  // namespace shelltest
