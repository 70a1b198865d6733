#include "engine_rig.h"

#include "core/engine/command_status.h"

#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

using namespace enginetest;

namespace {

class WaveQueue : public DriverTest {
protected:
    void ExpectDecoded(int row) {
        ExpectCompleted(row);
        ExpectSameLength(jobs_.at(row).source, jobs_.at(row).output,
                         QStringLiteral("pcm_s16le|wav"));
    }

    // What the commands and the queue looked like as row `row` started.
    struct AtStart {
        bool seen = false;
        bool converting = false;
        int currentJob = 0;
        QString status;
    };
    void LookAtStartOf(int row, AtStart& at, const std::function<void()>& then = {}) {
        onJobStarted_ = [this, row, &at, then](int started) {
            if (started != row || at.seen) {
                return;
            }
            at.seen = true;
            at.converting = driver_.isConverting();
            at.currentJob = driver_.currentJob();
            at.status = Status(row);
            if (then) {
                then();
            }
        };
    }
};

}  // namespace

TEST_F(WaveQueue, StartReturnsAtOnceAndTheDecodeClimbsTo100OnAWorker) {
    const QString source = Wma(QStringLiteral("talk.wma"), 4, QStringLiteral("32k"));
    AddJob(source, path(QStringLiteral("talk.wav")), kWave);
    AtStart at;
    LookAtStartOf(1, at);
    driver_.start();
    // Nothing of the decode happens inside start(): the window goes on answering.
    EXPECT_TRUE(driver_.isDecoding());
    EXPECT_TRUE(driver_.isConverting());
    EXPECT_FALSE(computeCommandStatus(driver_, 0).start);
    EXPECT_TRUE(computeCommandStatus(driver_, 0).stop);
    // A second Start during the decode does not begin another conversion.
    driver_.start();
    ASSERT_TRUE(at.seen);
    EXPECT_EQ(at.status, QStringLiteral("0%"));
    EXPECT_EQ(at.currentJob, 1);

    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(ListStaysStill());
    EXPECT_EQ(driver_.currentJob(), 2);
    EXPECT_FALSE(computeCommandStatus(driver_, 0).start);
    ExpectDecoded(1);
    EXPECT_TRUE(states_.empty()) << "a decode involves no encoding run";

    const QStringList history = StatusHistory(1);
    ASSERT_GE(history.size(), 2);
    EXPECT_EQ(history.first(), QStringLiteral("0%"));
    EXPECT_EQ(history.last(), QStringLiteral("100%"));
    const QRegularExpression wholePercent(QStringLiteral("^(\\d+)%$"));
    int previous = 0;
    for (const QString& shown : history) {
        const auto match = wholePercent.match(shown);
        ASSERT_TRUE(match.hasMatch()) << shown.toStdString();
        EXPECT_GE(match.captured(1).toInt(), previous);
        previous = match.captured(1).toInt();
    }
}

// A modal dialog runs an event loop of its own; the decode goes on underneath it.
TEST_F(WaveQueue, AnEventLoopOpenedDuringADecodeNeverPausesIt) {
    AddJob(Wma(QStringLiteral("a.wma"), 3), path(QStringLiteral("a.wav")), kWave);
    AddJob(Wma(QStringLiteral("b.wma"), 1), path(QStringLiteral("b.wav")), kWave);
    bool closedByTheQueue = false;
    AtStart at;
    LookAtStartOf(1, at, [&] {
        QTimer::singleShot(0, &driver_, [&] {
            QEventLoop dialog;
            const auto ended = QObject::connect(&jobs_, &JobStore::changed, &dialog, [&](int row) {
                if (row == 2 && jobs_.at(2).state == JobState::Done) {
                    closedByTheQueue = true;
                    dialog.quit();
                }
            });
            // Only a hang guard: the queue closes the "dialog" long before.
            QTimer::singleShot(120000, &dialog, &QEventLoop::quit);
            dialog.exec();
            QObject::disconnect(ended);
        });
    });
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(closedByTheQueue);
    ExpectDecoded(1);
    ExpectDecoded(2);
}

TEST_F(WaveQueue, WaveJobFollowedByAWmaJob) {
    AddJob(Wma(QStringLiteral("a.wma")), path(QStringLiteral("a.wav")), kWave);
    const QString mp3 = Mp3(QStringLiteral("b.mp3"), 1);
    AddJob(mp3, path(QStringLiteral("b.wma")));
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    ExpectDecoded(1);
    EXPECT_EQ(Status(2), QStringLiteral("100%"));
    EXPECT_EQ(testsupport::ProbeCodecAndFormat(path(QStringLiteral("b.wma"))),
              QStringLiteral("wmav2|asf"));
    EXPECT_EQ(driver_.currentJob(), 3);
    EXPECT_TRUE(ListStaysStill());
}

TEST_F(WaveQueue, FailedDecodeShowsItsReasonKeepsItsSourceAndTheQueueGoesOn) {
    settings_.deleteSource = true;
    const QString bad = path(QStringLiteral("garbage.wma"));
    const QByteArray garbage(40000, '\x5a');
    ASSERT_TRUE(WriteAll(bad, garbage));
    const QString good = Wma(QStringLiteral("good.wma"), 1);
    // An older output that the failed decode leaves alone is no sign of success.
    ASSERT_TRUE(WriteAll(path(QStringLiteral("garbage.wav")), "an older garbage.wav"));
    AddJob(bad, path(QStringLiteral("garbage.wav")), kWave);
    AddJob(good, path(QStringLiteral("good.wav")), kWave);
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());

    EXPECT_EQ(Status(1).left(8), QStringLiteral("Failed: ")) << Status(1).toStdString();
    EXPECT_TRUE(ToolTip(1).startsWith(QStringLiteral("not an audio file the decoder accepts: ")))
        << ToolTip(1).toStdString();
    EXPECT_FALSE(StatusHistory(1).contains(QStringLiteral("100%")));
    EXPECT_EQ(jobs_.at(1).state, JobState::Failed);
    EXPECT_EQ(ReadAll(bad), garbage);
    EXPECT_EQ(ReadAll(path(QStringLiteral("garbage.wav"))), QByteArray("an older garbage.wav"));
    EXPECT_EQ(Status(2), QStringLiteral("100%"));
    EXPECT_FALSE(QFile::exists(good)) << "a decoded source is given up";
    EXPECT_EQ(driver_.currentJob(), 3);
    EXPECT_EQ(FolderEntries(dir_.path()),
              (QStringList{QStringLiteral("garbage.wav"), QStringLiteral("garbage.wma"),
                           QStringLiteral("good.wav")}));
}

// Stop ends the decode itself: nothing at or beside the output, the row stopped, and a later
// Start decodes it afresh from "0%".
TEST_F(WaveQueue, StopEndsADecodeAndLeavesNothingBehind) {
    const QString long_ = Wma(QStringLiteral("long.wma"), 600, QStringLiteral("32k"));
    AddJob(long_, path(QStringLiteral("long.wav")), kWave);
    AddJob(Wma(QStringLiteral("b.wma"), 1), path(QStringLiteral("b.wav")), kWave);
    // Stopped once the first figure shows, which is as early as a user could press Stop.
    bool stopped = false;
    QObject::connect(&jobs_, &JobStore::changed, &driver_, [&](int row) {
        if (row == 1 && !stopped && Status(1) != QStringLiteral("0%") &&
            jobs_.at(1).state == JobState::Converting) {
            stopped = true;
            driver_.stop();
        }
    });
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_TRUE(stopped);
    EXPECT_TRUE(Status(1).startsWith(QStringLiteral("Stopped ("))) << Status(1).toStdString();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("long.wav"))));
    EXPECT_EQ(FolderEntries(dir_.path()),
              (QStringList{QStringLiteral("b.wma"), QStringLiteral("long.wma")}));
    EXPECT_EQ(FolderEntries(TempFolder()), QStringList());
    EXPECT_EQ(driver_.currentJob(), 1);
    EXPECT_EQ(Status(2), QStringLiteral("0%"));
    EXPECT_TRUE(driver_.canStart());

    // Started again (from a shorter take of the same file, to keep the test short), the row
    // shows its new run from the first moment, never the old figure.
    statusHistory_.clear();
    ASSERT_TRUE(QFile::remove(long_));
    ASSERT_TRUE(QFile::rename(Wma(QStringLiteral("short.wma"), 1), long_));
    driver_.start();
    ASSERT_FALSE(StatusHistory(1).isEmpty());
    EXPECT_EQ(StatusHistory(1).first(), QStringLiteral("0%"));
    ASSERT_TRUE(WaitUntilIdle());
    ExpectDecoded(1);
    ExpectDecoded(2);
    EXPECT_EQ(driver_.currentJob(), 3);
}

TEST_F(WaveQueue, StopDuringADecodeStartedByTheEndOfAWmaRun) {
    AddJob(Mp3(QStringLiteral("a.mp3"), 1), path(QStringLiteral("a.wma")));
    AddJob(Wma(QStringLiteral("b.wma"), 2), path(QStringLiteral("b.wav")), kWave);
    AddJob(Mp3(QStringLiteral("c.mp3"), 1), path(QStringLiteral("c.wma")));
    AtStart at;
    LookAtStartOf(2, at, [this] { driver_.stop(); });
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_TRUE(at.seen);
    EXPECT_EQ(Status(1), QStringLiteral("100%"));
    EXPECT_EQ(Status(2), QStringLiteral("Stopped (0%)"));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("b.wav"))));
    EXPECT_EQ(driver_.currentJob(), 2);
    EXPECT_TRUE(ListStaysStill());
    EXPECT_EQ(Status(3), QStringLiteral("0%"));
    EXPECT_TRUE(driver_.canStart());
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("c.wma"))));
}
