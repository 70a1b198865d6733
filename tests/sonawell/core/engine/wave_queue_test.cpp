#include "engine_rig.h"

#include "core/engine/command_status.h"
#include "core/engine/wave_job.h"

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

    // What the commands and the queue looked like from inside a decode.
    struct Inside {
        bool seen = false;
        bool decoding = false;
        bool converting = false;
        CommandStatus commands;
        int currentJob = 0;
    };
    // Runs at the first chance the decode gives the event loop.
    void LookInsideTheDecode(Inside& inside, const std::function<void()>& then = {}) {
        QTimer::singleShot(0, &driver_, [this, &inside, then] {
            inside.seen = true;
            inside.decoding = driver_.isDecoding();
            inside.converting = driver_.isConverting();
            inside.commands = computeCommandStatus(driver_, 0);
            inside.currentJob = driver_.currentJob();
            if (then) {
                then();
            }
        });
    }
};

}  // namespace

TEST_F(WaveQueue, SingleJobClimbsToAtMost97ThenShows100) {
    // At 32 kbps the WAVE file is far more than 15 times the source, so the cap is reached.
    const QString source = Wma(QStringLiteral("talk.wma"), 2, QStringLiteral("32k"));
    AddJob(source, path(QStringLiteral("talk.wav")), kWave);
    Inside inside;
    int convertingIcons = 0;
    onJobStarted_ = [&](int) { ++convertingIcons; };
    // A second Start from inside the decode must not begin another conversion.
    LookInsideTheDecode(inside, [this] { driver_.start(); });
    driver_.start();

    ASSERT_TRUE(inside.seen);
    EXPECT_TRUE(inside.decoding);
    EXPECT_TRUE(inside.converting);
    EXPECT_FALSE(inside.commands.start);
    EXPECT_TRUE(inside.commands.stop);
    EXPECT_EQ(inside.currentJob, 1);
    EXPECT_EQ(convertingIcons, 1);

    EXPECT_FALSE(driver_.isConverting());
    EXPECT_TRUE(ListStaysStill());
    EXPECT_EQ(driver_.currentJob(), 2);
    EXPECT_FALSE(computeCommandStatus(driver_, 0).start);
    ExpectDecoded(1);
    EXPECT_TRUE(states_.empty()) << "a decode involves no encoding run";

    const QStringList history = StatusHistory(1);
    ASSERT_GE(history.size(), 3);
    EXPECT_EQ(history.first(), QStringLiteral("0%"));
    EXPECT_EQ(history.last(), QStringLiteral("100%"));
    const QRegularExpression wholePercent(QStringLiteral("^(\\d+)%$"));
    int previous = 0;
    for (qsizetype i = 1; i + 1 < history.size(); ++i) {
        const auto match = wholePercent.match(history[i]);
        ASSERT_TRUE(match.hasMatch()) << history[i].toStdString();
        const int value = match.captured(1).toInt();
        EXPECT_GE(value, previous);
        EXPECT_LE(value, 97);
        previous = value;
    }
    EXPECT_EQ(history[history.size() - 2], QStringLiteral("97%"));
}

TEST_F(WaveQueue, WaveJobFollowedByAWmaJob) {
    AddJob(Wma(QStringLiteral("a.wma")), path(QStringLiteral("a.wav")), kWave);
    const QString mp3 = Mp3(QStringLiteral("b.mp3"), 1);
    AddJob(mp3, path(QStringLiteral("b.wma")));
    driver_.start();
    // The decode is over and the WMA run it started is under way.
    EXPECT_EQ(Status(1), QStringLiteral("100%"));
    EXPECT_EQ(driver_.currentJob(), 2);
    EXPECT_TRUE(driver_.isConverting());
    EXPECT_EQ(jobs_.at(2).state, JobState::Converting);
    EXPECT_TRUE(computeCommandStatus(driver_, 0).stop);
    ASSERT_TRUE(WaitUntilIdle());
    ExpectDecoded(1);
    EXPECT_EQ(Status(2), QStringLiteral("100%"));
    EXPECT_EQ(testsupport::ProbeCodecAndFormat(path(QStringLiteral("b.wma"))),
              QStringLiteral("wmav2|asf"));
    EXPECT_EQ(driver_.currentJob(), 3);
    EXPECT_TRUE(ListStaysStill());
}

TEST_F(WaveQueue, TwoWaveJobsAreBothDecodedBeforeStartReturns) {
    AddJob(Wma(QStringLiteral("a.wma")), path(QStringLiteral("a.wav")), kWave);
    AddJob(Wma(QStringLiteral("b.wma"), 1), path(QStringLiteral("b.wav")), kWave);
    driver_.start();
    EXPECT_EQ(driver_.currentJob(), 3);
    EXPECT_FALSE(driver_.isConverting());
    EXPECT_FALSE(driver_.isBusy());
    ExpectDecoded(1);
    ExpectDecoded(2);
    EXPECT_TRUE(states_.empty());
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

    EXPECT_TRUE(Status(1).startsWith(QStringLiteral("Failed: "))) << Status(1).toStdString();
    EXPECT_FALSE(ToolTip(1).isEmpty());
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

TEST_F(WaveQueue, StopDuringADecodeHaltsTheQueueOnceTheDecodeHasEnded) {
    AddJob(Wma(QStringLiteral("a.wma"), 2), path(QStringLiteral("a.wav")), kWave);
    AddJob(Wma(QStringLiteral("b.wma"), 1), path(QStringLiteral("b.wav")), kWave);
    AddJob(Mp3(QStringLiteral("c.mp3"), 1), path(QStringLiteral("c.wma")));
    Inside inside;
    LookInsideTheDecode(inside, [this] { driver_.stop(); });
    driver_.start();

    ASSERT_TRUE(inside.seen);
    EXPECT_TRUE(inside.decoding);
    // The decode can't be interrupted: it ends complete, and nothing after it starts.
    ExpectDecoded(1);
    EXPECT_EQ(driver_.currentJob(), 2);
    EXPECT_FALSE(driver_.isConverting());
    EXPECT_FALSE(driver_.isBusy());
    EXPECT_EQ(Status(2), QStringLiteral("0%"));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("b.wav"))));
    EXPECT_TRUE(states_.empty());
    EXPECT_TRUE(driver_.canStart());

    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    ExpectDecoded(2);
    EXPECT_EQ(Status(3), QStringLiteral("100%"));
    EXPECT_EQ(driver_.currentJob(), 4);
}

// The decoder's callback drives the percentage: (bytes ÷ 15) × 100 ÷ source size, halves to
// the even neighbour. A source of 60000 bytes makes 2.5 and 3.5 percent exact.
TEST_F(WaveQueue, PercentagesRoundHalvesToEven) {
    const QString source = Wma(QStringLiteral("padded.wma"), 1);
    QByteArray bytes = ReadAll(source);
    ASSERT_LT(bytes.size(), 60000);
    bytes.append(QByteArray(60000 - bytes.size(), '\0'));
    ASSERT_TRUE(WriteAll(source, bytes));
    AddJob(source, path(QStringLiteral("padded.wav")), kWave);
    QStringList shown;
    QTimer::singleShot(0, &driver_, [&] {
        for (const int32_t n : {22500, 31500, 15 * 60000, 0}) {
            WaveJob::reportProgress(n);
            shown << Status(1);
        }
    });
    driver_.start();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("2%"), QStringLiteral("4%"), QStringLiteral("97%"),
                                  QStringLiteral("0%")}));
    EXPECT_EQ(Status(1), QStringLiteral("100%"));
}

TEST_F(WaveQueue, StopDuringADecodeStartedByTheEndOfAWmaRun) {
    AddJob(Mp3(QStringLiteral("a.mp3"), 1), path(QStringLiteral("a.wma")));
    AddJob(Wma(QStringLiteral("b.wma"), 2), path(QStringLiteral("b.wav")), kWave);
    AddJob(Mp3(QStringLiteral("c.mp3"), 1), path(QStringLiteral("c.wma")));
    Inside inside;
    onJobStarted_ = [&](int row) {
        if (row == 2) {
            LookInsideTheDecode(inside, [this] { driver_.stop(); });
        }
    };
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_TRUE(inside.seen);
    EXPECT_TRUE(inside.decoding);
    EXPECT_EQ(Status(1), QStringLiteral("100%"));
    ExpectDecoded(2);
    EXPECT_EQ(driver_.currentJob(), 3);
    EXPECT_TRUE(ListStaysStill());
    EXPECT_EQ(Status(3), QStringLiteral("0%"));
    EXPECT_TRUE(driver_.canStart());
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("c.wma"))));
}
