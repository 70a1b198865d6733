// Quick convert without a bus: the target and profile a handed-in path gets, and what a flush
// does with the pending paths, with the real encoder and decoder behind the job list.

#include "core/engine/quick_convert.h"
#include "core/engine/app_state.h"
#include "core/settings/app_settings.h"
#include "quick_test_support.h"
#include "support/audio_fixtures.h"
#include "support/file_fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using quicktest::Engine;
using quicktest::kProfile;
using quicktest::UseQuickSettings;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const QString kWave = QStringLiteral("WMA to WAV");

struct TargetCase {
    const char* source;
    const char* target;  // empty: the path is dropped
    bool wave;           // "WMA to WAV" rather than the quick-convert profile
};

void ExpectTargets(const std::vector<TargetCase>& cases) {
    for (const TargetCase& c : cases) {
        SCOPED_TRACE(c.source);
        QString profile = QStringLiteral("untouched");
        const QString target =
            QuickConvert::targetFor(QString::fromUtf8(c.source), appSettings, &profile);
        EXPECT_EQ(target, QString::fromUtf8(c.target));
        if (*c.target != '\0') {
            EXPECT_EQ(profile, c.wave ? kWave : kProfile);
        }
    }
}

TEST(targetFor, BesideTheSourceWhenSameTargetDirIsOn) {
    UseQuickSettings(true, true, QStringLiteral("/elsewhere"));
    ExpectTargets({
        {"/music/a.mp3", "/music/a.wma", false},
        {"/music/b.WMA", "/music/b.wav", true},
        {"/music/c.Mp2", "/music/c.wma", false},
        {"/music/d.wav", "/music/d.wma", false},
        {"/music/live.2001.mp3", "/music/live.2001.wma", false},
        {"/music/some.folder/e.mp3", "/music/some.folder/e.wma", false},
        {"/music/f.ogg", "/music/f.wma", false},
        {"/music/g.flac", "/music/g.wma", false},
        {"/music/h.M4A", "/music/h.wma", false},
    });
}

TEST(targetFor, WmaBecomesFlacWhenWmaFormatSaysSo) {
    UseQuickSettings(true, true);
    appSettings.wmaToFlac = true;
    QString profile;
    EXPECT_EQ(QuickConvert::targetFor(QStringLiteral("/music/b.WMA"), appSettings, &profile),
              QStringLiteral("/music/b.flac"));
    EXPECT_EQ(profile, QStringLiteral("WMA to FLAC"));
    EXPECT_EQ(QuickConvert::targetFor(QStringLiteral("/music/a.mp3"), appSettings, &profile),
              QStringLiteral("/music/a.wma"));
    EXPECT_EQ(profile, kProfile);
}

// A file found below a folder handed in keeps its place in the tree under the target folder.
TEST(targetFor, TheSubfolderGoesBelowTheTargetFolderWhileTheTreeIsKept) {
    const struct {
        bool same, keep;
        const char* target;
    } cases[] = {
        {false, true, "/out/Album A/CD 1/01.wma"},
        {false, false, "/out/01.wma"},
        // Beside the source, the source's own folder is the tree.
        {true, true, "/music/Album A/CD 1/01.wma"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        UseQuickSettings(true, c.same, QStringLiteral("/out/"));
        appSettings.keepFolders = c.keep;
        QString profile;
        EXPECT_EQ(QuickConvert::targetFor(QStringLiteral("/music/Album A/CD 1/01.mp3"), appSettings,
                                          &profile, QStringLiteral("Album A/CD 1")),
                  QString::fromUtf8(c.target));
    }
}

TEST(targetFor, InTheTargetFolderJoinedWithOneSlash) {
    for (const char* folder : {"/out", "/out/", "/out//", "/out\\"}) {
        SCOPED_TRACE(folder);
        UseQuickSettings(true, false, QString::fromUtf8(folder));
        ExpectTargets({
            {"/music/a.mp3", "/out/a.wma", false},
            {"/music/b.WMA", "/out/b.wav", true},
            {"/music/x.y/c.mp2", "/out/c.wma", false},
        });
    }
    UseQuickSettings(true, false, QStringLiteral("/"));
    ExpectTargets({{"/music/a.mp3", "/a.wma", false}});
}

TEST(targetFor, EmptyTargetFolderKeepsTheOutputBesideItsSource) {
    UseQuickSettings(true, false, QString());
    ExpectTargets({
        {"/music/a.mp3", "/music/a.wma", false},
        {"/music/b.wma", "/music/b.wav", true},
    });
}

TEST(targetFor, OtherExtensionsAreDropped) {
    for (const bool same : {true, false}) {
        UseQuickSettings(true, same, QStringLiteral("/out"));
        ExpectTargets({
            {"/music/noextension", "", false},
            {"/music/xmp3", "", false},
            {"/music/xwma", "", false},
            {"/music/album.mp3/track01", "", false},
            {"/music/trailing.mp3 ", "", false},
            {"/music/a.mp3.bak", "", false},
            {"/music/a.mp4", "", false},
            {"/music/a.", "", false},
            {"", "", false},
        });
    }
}

// A handed-in file whose name says nothing the table knows is judged by its first bytes; the
// output's extension then goes after the whole name.
TEST(targetFor, TheContentDecidesWhereTheNameSaysNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString mp3 = dir.filePath(QStringLiteral("song.dat"));
    ASSERT_TRUE(testsupport::MakeMp3(mp3, 0.3));
    const QString wave = dir.filePath(QStringLiteral("take"));
    ASSERT_TRUE(testsupport::MakeWav(wave, 0.3));
    const QString wma = dir.filePath(QStringLiteral("voice.bin"));
    ASSERT_TRUE(testsupport::MakeWma(wma, 0.3));
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QFile notes(text);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    ASSERT_EQ(notes.write("just some notes\n"), 16);
    notes.close();

    UseQuickSettings(true, true, QString());
    const struct {
        QString source, target;
        bool wave;
    } cases[] = {
        {mp3, dir.filePath(QStringLiteral("song.dat.wma")), false},
        {wave, dir.filePath(QStringLiteral("take.wma")), false},
        {wma, dir.filePath(QStringLiteral("voice.bin.wav")), true},
        {text, QString(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source.toStdString());
        QString profile;
        EXPECT_EQ(QuickConvert::targetFor(c.source, appSettings, &profile), c.target);
        if (!c.target.isEmpty()) {
            EXPECT_EQ(profile, c.wave ? kWave : kProfile);
        }
    }
}

class QuickFlush : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // The timer stays out of the way: each test flushes by hand.
        mainWindowReady = false;
    }

    QString file(const QString& name) const { return dir_.filePath(name); }
    QString mp3(const QString& name, double seconds = 0.5) const {
        const QString path = file(name);
        EXPECT_TRUE(testsupport::MakeMp3(path, seconds));
        return path;
    }

    QTemporaryDir dir_;
    Engine engine_;
};

// Nothing handed in vanishes: a file that is not audio, a name that is not there and a folder
// without audio each get a failed row of their own, which the queue passes by.
TEST_F(QuickFlush, PathsThatAreNotAudioGetAFailedRowEach) {
    UseQuickSettings(true);
    ASSERT_TRUE(testsupport::WriteAll(file(QStringLiteral("notes.txt")), "just some notes\n"));
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("empty/sub")));
    ASSERT_TRUE(testsupport::WriteAll(file(QStringLiteral("empty/sub/cover.jpg")), "not audio"));
    engine_.pending.add(file(QStringLiteral("notes.txt")));
    engine_.pending.add(file(QStringLiteral("README")));
    engine_.pending.add(file(QStringLiteral("empty")));
    engine_.quick.flushPending();
    ASSERT_TRUE(quicktest::WaitUntil([&] { return engine_.queueDone(); }));
    ASSERT_EQ(engine_.jobs.count(), 3);
    EXPECT_EQ(statusText(engine_.jobs.at(1)),
              QStringLiteral("Failed: not an audio file: notes.txt"));
    EXPECT_EQ(statusText(engine_.jobs.at(2)), QStringLiteral("Failed: not an audio file: README"));
    EXPECT_EQ(statusText(engine_.jobs.at(3)),
              QStringLiteral("Failed: no audio file in this folder"));
    EXPECT_EQ(engine_.jobs.at(3).source, file(QStringLiteral("empty")));
    EXPECT_EQ(engine_.pending.count(), 0);
    EXPECT_THAT(engine_.prompt.messages, IsEmpty());
}

// Two albums with the same file names, handed in as their parent folder, come out as the same
// tree below the target folder: no "(2)", hidden folders left out.
TEST_F(QuickFlush, AFolderTreeIsMirroredBelowTheTargetFolder) {
    QDir root(dir_.path());
    for (const char* folder : {"in/Album A", "in/Album B", "in/.hidden"}) {
        ASSERT_TRUE(root.mkpath(QString::fromUtf8(folder)));
    }
    mp3(QStringLiteral("in/Album A/01.mp3"));
    mp3(QStringLiteral("in/Album B/01.mp3"));
    mp3(QStringLiteral("in/Album B/02.mp3"));
    mp3(QStringLiteral("in/.hidden/01.mp3"));
    ASSERT_TRUE(testsupport::WriteAll(file(QStringLiteral("in/Album A/cover.jpg")), "picture"));
    // A link back up the tree is not followed round and round.
    ASSERT_TRUE(QFile::link(file(QStringLiteral("in")), file(QStringLiteral("in/Album B/loop"))));
    const QString out = file(QStringLiteral("out"));
    UseQuickSettings(true, false, out);

    engine_.pending.add(file(QStringLiteral("in")));
    engine_.quick.flushPending();
    ASSERT_TRUE(quicktest::WaitUntil([&] { return engine_.queueDone(); }, std::chrono::minutes(2)));

    EXPECT_THAT(engine_.sources(), ElementsAre(file(QStringLiteral("in/Album A/01.mp3")),
                                               file(QStringLiteral("in/Album B/01.mp3")),
                                               file(QStringLiteral("in/Album B/02.mp3"))));
    for (const char* output : {"Album A/01.wma", "Album B/01.wma", "Album B/02.wma"}) {
        SCOPED_TRACE(output);
        EXPECT_GT(QFileInfo(out + QLatin1Char('/') + QString::fromUtf8(output)).size(), 0);
    }
    for (int row = 1; row <= engine_.jobs.count(); ++row) {
        EXPECT_EQ(statusText(engine_.jobs.at(row)), QStringLiteral("100%"));
    }
    EXPECT_THAT(testsupport::FolderEntries(out),
                ElementsAre(QStringLiteral("Album A"), QStringLiteral("Album B")));
}

TEST_F(QuickFlush, WithoutTheTreeTheOutputsShareTheTargetFolder) {
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("in/A")));
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("in/B")));
    mp3(QStringLiteral("in/A/01.mp3"));
    mp3(QStringLiteral("in/B/01.mp3"));
    const QString out = file(QStringLiteral("out"));
    UseQuickSettings(false, false, out);
    appSettings.keepFolders = false;
    engine_.pending.add(file(QStringLiteral("in")));
    engine_.quick.flushPending();
    ASSERT_EQ(engine_.jobs.count(), 2);
    EXPECT_EQ(engine_.jobs.at(1).output, out + QStringLiteral("/01.wma"));
    EXPECT_EQ(engine_.jobs.at(2).output, out + QStringLiteral("/01 (2).wma"));
}

// A re-run with "skip when newer" leaves what the first run wrote as it is.
TEST_F(QuickFlush, ARerunSkipsOutputsNewerThanTheirSources) {
    UseQuickSettings(true);
    const QString a = mp3(QStringLiteral("a.mp3"));
    engine_.pending.add(a);
    engine_.quick.flushPending();
    ASSERT_TRUE(quicktest::WaitUntil([&] { return engine_.queueDone(); }));
    ASSERT_EQ(statusText(engine_.jobs.at(1)), QStringLiteral("100%"));
    const QString output = file(QStringLiteral("a.wma"));
    const testsupport::FileIdentity before = testsupport::IdentityOf(output);
    ASSERT_TRUE(before.exists);

    // The next session, as the user starts the program again.
    appSettings.skipConverted = true;
    Engine again;
    again.pending.add(a);
    again.quick.flushPending();
    ASSERT_TRUE(quicktest::WaitUntil([&] { return again.queueDone(); }));
    ASSERT_EQ(again.jobs.count(), 1);
    EXPECT_EQ(again.jobs.at(1).output, output);
    EXPECT_EQ(statusText(again.jobs.at(1)), QStringLiteral("Skipped: already converted"));
    EXPECT_EQ(testsupport::IdentityOf(output), before);
    EXPECT_THAT(again.prompt.messages, IsEmpty());
}

TEST_F(QuickFlush, AutoStartOffQueuesWithoutConverting) {
    UseQuickSettings(false);
    const QString a = mp3(QStringLiteral("a.mp3"));
    engine_.pending.add(a);
    engine_.quick.flushPending();
    ASSERT_EQ(engine_.jobs.count(), 1);
    EXPECT_EQ(engine_.jobs.at(1).output, file(QStringLiteral("a.wma")));
    EXPECT_EQ(engine_.jobs.at(1).profile, kProfile);
    EXPECT_EQ(statusText(engine_.jobs.at(1)), QStringLiteral("0%"));
    EXPECT_FALSE(engine_.driver.isConverting());
    EXPECT_EQ(engine_.encoder.runState(), sw::enc::RunState::Stopped);
}

// Paths handed in while a decode runs on its worker become jobs behind the ones before them,
// in the order they came, and every one of them is converted.
TEST_F(QuickFlush, AFlushDuringADecodeKeepsTheOrderAndLosesNothing) {
    UseQuickSettings(true);
    const QString wma = file(QStringLiteral("long.wma"));
    ASSERT_TRUE(testsupport::MakeWma(wma, 600.0, 22050, 1));
    const QString second = mp3(QStringLiteral("second.mp3"));
    const QString during = mp3(QStringLiteral("during.mp3"));
    engine_.pending.add(wma);
    engine_.pending.add(second);
    engine_.quick.flushPending();
    ASSERT_TRUE(quicktest::WaitUntil([&] { return engine_.driver.isDecoding(); }));
    engine_.pending.add(during);
    engine_.quick.flushPending();
    ASSERT_TRUE(quicktest::WaitUntil([&] { return engine_.jobs.count() == 3; }));
    EXPECT_TRUE(engine_.driver.isDecoding()) << "the decode ended before the flush";

    EXPECT_THAT(engine_.sources(), ElementsAre(wma, second, during));
    ASSERT_TRUE(quicktest::WaitUntil([&] { return engine_.queueDone(); }));
    EXPECT_THAT(engine_.prompt.messages, IsEmpty());
    for (int row = 1; row <= engine_.jobs.count(); ++row) {
        SCOPED_TRACE(engine_.jobs.at(row).source.toStdString());
        EXPECT_EQ(statusText(engine_.jobs.at(row)), QStringLiteral("100%"));
        EXPECT_GT(QFileInfo(engine_.jobs.at(row).output).size(), 0);
    }
}

// A long hand-in becomes jobs a slice per turn of the event loop: what else waits (a bus call,
// a repaint) runs between slices, the first conversion starts with the first slice, and the
// jobs keep the order the paths came in.
TEST_F(QuickFlush, ALongHandInBecomesJobsASliceAtATimeInOrder) {
    QObject watch;  // the connections below end with this test's locals
    UseQuickSettings(true);
    constexpr int kPaths = 5000;
    QStringList paths{mp3(QStringLiteral("first.mp3"))};
    // Missing files: they fail at once once their turn comes.
    for (int i = 1; i < kPaths; ++i) {
        paths << file(QStringLiteral("gone/track %1.mp3").arg(i, 4, 10, QLatin1Char('0')));
    }
    int jobsWhenLoopTurned = -1;
    int jobsWhenConverting = -1;
    QObject::connect(&engine_.jobs, &JobStore::added, &watch, [&](int row) {
        if (row == 1) {
            QTimer::singleShot(0, &watch, [&] { jobsWhenLoopTurned = engine_.jobs.count(); });
        }
    });
    QObject::connect(&engine_.jobs, &JobStore::changed, &watch, [&](int row) {
        if (jobsWhenConverting < 0 && engine_.jobs.at(row).state == JobState::Converting) {
            jobsWhenConverting = engine_.jobs.count();
        }
    });
    for (const QString& path : paths) {
        engine_.pending.add(path);
    }
    mainWindowReady = true;
    ASSERT_TRUE(quicktest::WaitUntil([&] { return engine_.jobs.count() == kPaths; },
                                     std::chrono::seconds(60)));

    EXPECT_GT(jobsWhenLoopTurned, 0);
    EXPECT_LT(jobsWhenLoopTurned, kPaths);
    EXPECT_GT(jobsWhenConverting, 0);
    EXPECT_LT(jobsWhenConverting, kPaths);
    EXPECT_EQ(engine_.sources(), paths);
}

}  // namespace
