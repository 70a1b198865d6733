#include "encoder/encoder_threads.h"
#include "encoder/input_probe.h"
#include "encoder/transcode.h"
#include "encoder_test_support.h"
#include "support/audio_fixtures.h"
#include "support/build_fixtures.h"

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sched.h>

#include <thread>

using namespace enctest;
using sw::enc::Encoder;
using sw::enc::RunOutcome;
using sw::enc::RunState;

namespace {

class EncoderRun : public testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

// The run itself, with a chosen number of encoder threads (1: the serial path).
sw::enc::TranscodeResult TranscodeWith(const QString& source, const QString& output, int profile,
                                       int threads) {
    const sw::enc::ProfileCollection profiles;
    const sw::enc::TranscodeJob job{source, sw::enc::DemuxerForExtension(source), output,
                                    profiles.item(profile).audio(), threads};
    std::atomic<bool> cancel{false};
    std::atomic<int> percent{0};
    return sw::enc::Transcode(job, cancel, percent);
}

// Sets SONAWELL_ENCODER_THREADS until the returned guard goes.
auto ForceEncoderThreads(const char* count) {
    qputenv("SONAWELL_ENCODER_THREADS", count);
    return qScopeGuard([] { qunsetenv("SONAWELL_ENCODER_THREADS"); });
}

}  // namespace

TEST_F(EncoderRun, Mp3BecomesWmaOfTheSameLength) {
    const QString source = path(QStringLiteral("song.mp3"));
    const QString output = path(QStringLiteral("song.wma"));
    ASSERT_TRUE(testsupport::MakeMp3(source, 5));
    const QByteArray sourceBytes = ReadAll(source);

    Encoder encoder;
    EXPECT_EQ(Encode(encoder, source, output), kCompleted);
    EXPECT_EQ(encoder.runState(), RunState::Stopped);
    EXPECT_EQ(encoder.lastOutcome(), RunOutcome::Completed);
    EXPECT_TRUE(encoder.lastError().code() == sw::ErrorCode::None);
    EXPECT_FALSE(encoder.isRunning());

    EXPECT_EQ(testsupport::ProbeCodecAndFormat(output), QStringLiteral("wmav2|asf"));
    const auto sourceLength = testsupport::ProbeDuration(source);
    const auto outputLength = testsupport::ProbeDuration(output);
    ASSERT_TRUE(sourceLength && outputLength);
    EXPECT_NEAR(*outputLength, *sourceLength, kDurationTolerance);
    EXPECT_NEAR(*outputLength, 5.0, kDurationTolerance);
    const StreamFormat format = ProbeStreamFormat(output);
    EXPECT_EQ(format.sampleRate, 44100);
    EXPECT_EQ(format.channels, 2);

    EXPECT_EQ(ReadAll(source), sourceBytes);
    EXPECT_EQ(FolderEntries(dir_.path()),
              (QStringList{QStringLiteral("song.mp3"), QStringLiteral("song.wma")}));
    EXPECT_EQ(QFile(output).permissions() & QFile::ReadOther, QFile::ReadOther)
        << "the finished file keeps the usual permissions, not the temporary file's";
}

TEST_F(EncoderRun, TaggedMp3AndMp2SourcesComplete) {
    const QString tagged = path(QStringLiteral("tagged.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(tagged, 2));
    ASSERT_TRUE(testsupport::AppendId3v1(tagged, {"Title", "Artist", "Album", "2001", "", 17, 3}));
    const QString mp2 = path(QStringLiteral("layer2.mp2"));
    ASSERT_TRUE(testsupport::MakeTone(mp2, 2, 48000, 2,
                                      {QStringLiteral("-c:a"), QStringLiteral("mp2"),
                                       QStringLiteral("-f"), QStringLiteral("mp2")}));
    Encoder encoder;
    for (const QString& source : {tagged, mp2}) {
        const QString output = source + QStringLiteral(".wma");
        EXPECT_EQ(Encode(encoder, source, output), kCompleted);
        EXPECT_EQ(encoder.lastOutcome(), RunOutcome::Completed)
            << encoder.lastError().text().toStdString();
        const auto length = testsupport::ProbeDuration(output);
        ASSERT_TRUE(length);
        EXPECT_NEAR(*length, 2.0, kDurationTolerance);
    }
}

TEST_F(EncoderRun, EveryAudioProfileEncodesMonoAndStereoSourcesOfCommonRates) {
    struct Tone {
        const char* name;
        int rate;
        int channels;
    };
    const Tone tones[] = {{"mono22.wav", 22050, 1},
                          {"stereo44.mp3", 44100, 2},
                          {"stereo48.wav", 48000, 2},
                          {"mono44.mp3", 44100, 1}};
    for (const Tone& tone : tones) {
        const QString name = QString::fromLatin1(tone.name);
        const bool mp3 = name.endsWith(QLatin1String(".mp3"));
        ASSERT_TRUE(mp3 ? testsupport::MakeMp3(path(name), 1.5, tone.rate, tone.channels)
                        : testsupport::MakeWav(path(name), 1.5, tone.rate, tone.channels));
    }
    Encoder encoder;
    for (int profile = 0; profile < 6; ++profile) {
        const auto& settings = encoder.profiles().item(profile).audio();
        for (const Tone& tone : tones) {
            const QString output =
                path(QStringLiteral("p%1-%2.wma").arg(profile).arg(QString::fromLatin1(tone.name)));
            SCOPED_TRACE(output.toStdString());
            EXPECT_EQ(Encode(encoder, path(QString::fromLatin1(tone.name)), output, profile),
                      kCompleted);
            ASSERT_EQ(encoder.lastOutcome(), RunOutcome::Completed)
                << encoder.lastError().text().toStdString();
            EXPECT_EQ(testsupport::ProbeCodecAndFormat(output), QStringLiteral("wmav2|asf"));
            const StreamFormat format = ProbeStreamFormat(output);
            EXPECT_EQ(format.sampleRate, settings.sampleRate);
            EXPECT_EQ(format.channels, settings.channels);
            const auto length = testsupport::ProbeDuration(output);
            ASSERT_TRUE(length);
            EXPECT_NEAR(*length, 1.5, kDurationTolerance);
        }
    }
}

TEST_F(EncoderRun, NotificationsAreQueuedNeverSentFromInsideTheCall) {
    const QString source = path(QStringLiteral("a.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(source, 2));
    Encoder encoder;
    QSignalSpy spy(&encoder, &Encoder::stateChanged);
    encoder.start(Request(source, path(QStringLiteral("a.wma"))));
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(encoder.runState(), RunState::Stopped) << "the state as last notified";
    EXPECT_EQ(WaitForEnd(encoder), kCompleted);

    // The handler of each notification reads that state back.
    // The handler of each notification reads that state back; progress only moves forward,
    // within the run.
    States seen;
    std::vector<double> progress;
    QObject::connect(&encoder, &Encoder::stateChanged, &encoder, [&](sw::enc::RunState state) {
        seen.push_back(state);
        EXPECT_EQ(encoder.runState(), state);
    });
    QObject::connect(&encoder, &Encoder::progressChanged, &encoder, [&](double fraction) {
        EXPECT_EQ(encoder.runState(), RunState::Running);
        EXPECT_EQ(encoder.progress(), fraction);
        progress.push_back(fraction);
    });
    QSignalSpy finished(&encoder, &Encoder::finished);
    EXPECT_EQ(Encode(encoder, source, path(QStringLiteral("b.wma"))), kCompleted);
    EXPECT_EQ(seen, kCompleted);
    ASSERT_EQ(finished.count(), 1) << "finished follows the Stopped state";
    EXPECT_EQ(finished.first().at(0).value<RunOutcome>(), RunOutcome::Completed);
    EXPECT_EQ(finished.first().at(1).value<sw::Error>().code(), sw::ErrorCode::None);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_TRUE(progress.empty() || (progress.front() > 0 && progress.back() <= 1));
}

TEST_F(EncoderRun, AHandlerThatLetsEventsRunIsNotEnteredAgain) {
    const QString source = path(QStringLiteral("a.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(source, 1));
    Encoder encoder;
    States seen;
    int depth = 0;
    QObject::connect(&encoder, &Encoder::stateChanged, &encoder, [&](sw::enc::RunState state) {
        EXPECT_EQ(depth, 0) << "state " << static_cast<int>(state)
                            << " arrived inside another handler";
        ++depth;
        seen.push_back(state);
        QTest::qWait(200);  // the run ends meanwhile
        --depth;
    });
    EXPECT_EQ(Encode(encoder, source, path(QStringLiteral("a.wma"))), kCompleted);
    EXPECT_EQ(seen, kCompleted);
}

TEST_F(EncoderRun, StopEndsInStoppingThenStoppedAndLeavesNoFile) {
    const QString source = path(QStringLiteral("long.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(source, 30));
    const QString output = path(QStringLiteral("long.wma"));
    const QString kept = path(QStringLiteral("kept.wma"));
    ASSERT_TRUE(WriteAll(kept, "an earlier conversion"));

    Encoder encoder;
    for (const QString& target : {output, kept}) {
        QSignalSpy spy(&encoder, &Encoder::stateChanged);
        encoder.start(Request(source, target));
        encoder.stop();
        encoder.stop();  // a second request changes nothing
        EXPECT_EQ(spy.count(), 0);
        const States states = WaitForEnd(encoder);
        EXPECT_TRUE(states == (States{RunState::Starting, RunState::Stopping, RunState::Stopped}) ||
                    states == (States{RunState::Starting, RunState::Running, RunState::Stopping,
                                      RunState::Stopped}));
        EXPECT_EQ(encoder.lastOutcome(), RunOutcome::Stopped);
        EXPECT_FALSE(encoder.isRunning());
    }
    EXPECT_FALSE(QFile::exists(output));
    EXPECT_EQ(ReadAll(kept), QByteArray("an earlier conversion"));
    EXPECT_EQ(FolderEntries(dir_.path()),
              (QStringList{QStringLiteral("kept.wma"), QStringLiteral("long.mp3")}));

    // The same encoder runs again after a stop, and replaces the old file on success.
    ASSERT_TRUE(testsupport::MakeMp3(path(QStringLiteral("short.mp3")), 1));
    EXPECT_EQ(Encode(encoder, path(QStringLiteral("short.mp3")), kept), kCompleted);
    EXPECT_EQ(encoder.lastOutcome(), RunOutcome::Completed);
    EXPECT_EQ(testsupport::ProbeCodecAndFormat(kept), QStringLiteral("wmav2|asf"));
}

TEST_F(EncoderRun, ABusyEncoderRefusesASecondRunAndStartsTheNextFromItsEndHandler) {
    const QString source = path(QStringLiteral("a.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(source, 3));
    Encoder encoder;
    encoder.start(Request(source, path(QStringLiteral("1.wma"))));
    EXPECT_EQ(StartError(encoder, Request(source, path(QStringLiteral("x.wma")))),
              sw::ErrorCode::Busy);

    // The next job is started from the handler of the end.
    int ends = 0;
    QSignalSpy spy(&encoder, &Encoder::stateChanged);
    QObject::connect(&encoder, &Encoder::stateChanged, &encoder, [&](sw::enc::RunState state) {
        if (state != RunState::Stopped || ++ends != 1)
            return;
        encoder.start(Request(source, path(QStringLiteral("2.wma"))));
    });
    for (int waits = 0; ends < 2 && waits < 60; ++waits)
        spy.wait(1000);
    States states;
    for (const QList<QVariant>& call : spy)
        states.push_back(call.at(0).value<RunState>());
    EXPECT_EQ(states, (States{RunState::Starting, RunState::Running, RunState::Stopped,
                              RunState::Starting, RunState::Running, RunState::Stopped}));
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(testsupport::ProbeCodecAndFormat(path(QStringLiteral("1.wma"))),
              QStringLiteral("wmav2|asf"));
    EXPECT_EQ(testsupport::ProbeCodecAndFormat(path(QStringLiteral("2.wma"))),
              QStringLiteral("wmav2|asf"));
}

TEST_F(EncoderRun, TheEndHandlerMayReleaseTheEncoder) {
    const QString source = path(QStringLiteral("a.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(source, 1));
    auto* encoder = new Encoder;
    QSignalSpy destroyed(encoder, &QObject::destroyed);
    QObject::connect(encoder, &Encoder::stateChanged, encoder, [encoder](sw::enc::RunState state) {
        if (state == RunState::Stopped)
            delete encoder;
    });
    encoder->start(Request(source, path(QStringLiteral("a.wma"))));
    EXPECT_TRUE(destroyed.wait(60000));
    EXPECT_EQ(testsupport::ProbeCodecAndFormat(path(QStringLiteral("a.wma"))),
              QStringLiteral("wmav2|asf"));
}

TEST_F(EncoderRun, DestroyingTheEncoderMidRunStopsItAndLeavesNoFile) {
    const QString source = path(QStringLiteral("long.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(source, 30));
    {
        auto encoder = std::make_unique<Encoder>();
        encoder->start(Request(source, path(QStringLiteral("long.wma"))));
    }
    QCoreApplication::processEvents();  // no queued notification may reach the dead encoder
    EXPECT_EQ(FolderEntries(dir_.path()), QStringList{QStringLiteral("long.mp3")});
}

// Chunks encoded apart, each primed by the frame before it, give the serial encode's packets:
// for every audio profile, at a length that is no multiple of any profile's frame size; a
// source too short to split takes the serial path.
TEST_F(EncoderRun, ParallelEncodeGivesTheSerialPacketsAndLength) {
    const QString longSource = path(QStringLiteral("long.wav"));
    const QString shortSource = path(QStringLiteral("short.wav"));
    ASSERT_TRUE(MakeNoisyWav(longSource, 20.3));
    ASSERT_TRUE(MakeNoisyWav(shortSource, 4.1));
    struct Row {
        QString source;
        int profile;
        bool split;
    };
    std::vector<Row> rows;
    for (int profile = 0; profile < 6; ++profile)
        rows.push_back({longSource, profile, true});
    rows.push_back({shortSource, kCdProfile, false});

    const QString serial = path(QStringLiteral("serial.wma"));
    const QString parallel = path(QStringLiteral("parallel.wma"));
    for (const Row& row : rows) {
        SCOPED_TRACE(
            QStringLiteral("%1, profile %2").arg(row.source).arg(row.profile).toStdString());
        const auto one = TranscodeWith(row.source, serial, row.profile, 1);
        const auto three = TranscodeWith(row.source, parallel, row.profile, 3);
        ASSERT_EQ(one.outcome, RunOutcome::Completed) << one.error.what();
        ASSERT_EQ(three.outcome, RunOutcome::Completed) << three.error.what();
        EXPECT_EQ(one.chunks, 0);
        if (row.split)
            EXPECT_GE(three.chunks, 6);
        else
            EXPECT_EQ(three.chunks, 0);

        const QByteArray packets = PacketList(serial);
        EXPECT_GT(packets.count('\n'), 50);
        EXPECT_EQ(PacketList(parallel), packets);
        const auto serialLength = testsupport::ProbeDuration(serial);
        const auto parallelLength = testsupport::ProbeDuration(parallel);
        ASSERT_TRUE(serialLength && parallelLength);
        EXPECT_EQ(*parallelLength, *serialLength);
        EXPECT_NEAR(*parallelLength, row.split ? 20.3 : 4.1, kDurationTolerance);

        if (row.split && row.profile == kCdProfile) {
            const QString tool = path(QStringLiteral("tool.wma"));
            ASSERT_TRUE(testsupport::RunFfmpeg(
                {QStringLiteral("-i"), row.source, QStringLiteral("-c:a"), QStringLiteral("wmav2"),
                 QStringLiteral("-b:a"), QStringLiteral("128k"), tool}));
            EXPECT_EQ(PacketList(tool), packets) << "the ffmpeg tool's own encode";
        }
    }
}

// How soon the stop takes effect is measured by bench/encoder (goal: within 100 ms); here only
// what it leaves behind, with no bound but WaitForEnd's hang guard.
TEST_F(EncoderRun, StopWithEveryEncoderThreadBusyEndsTheRunAndLeavesNoFile) {
    const auto threads = ForceEncoderThreads("3");
    const QString source = testsupport::FixturePath(testsupport::kNoisyWav300s);
    const QByteArray sourceBytes = ReadAll(source);
    ASSERT_FALSE(sourceBytes.isEmpty()) << source.toStdString();

    Encoder encoder;
    encoder.start(Request(source, path(QStringLiteral("long.wma"))));
    // Once the first chunk is written, every worker has a chunk of its own.
    QSignalSpy progress(&encoder, &Encoder::progressChanged);
    ASSERT_TRUE(progress.wait(300000));
    ASSERT_LT(encoder.progress(), 0.5) << "the run was nearly over before it could be stopped";
    EXPECT_GT(encoder.progress(), 0.0);

    encoder.stop();
    EXPECT_EQ(WaitForEnd(encoder), (States{RunState::Stopping, RunState::Stopped}));
    EXPECT_EQ(encoder.lastOutcome(), RunOutcome::Stopped);
    EXPECT_TRUE(FolderEntries(dir_.path()).isEmpty());
    EXPECT_EQ(ReadAll(source), sourceBytes);
}

TEST(EncoderThreads, FollowTheCpuAffinityAndTheOverride) {
    std::thread([] {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(::sched_getcpu(), &one);
        ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
        EXPECT_EQ(sw::enc::EncoderThreadCount(), 1);
    }).join();
    const auto threads = ForceEncoderThreads("5");
    EXPECT_EQ(sw::enc::EncoderThreadCount(), 5);
}
