#include "engine_rig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace enginetest;

namespace {

class BadInputQueue : public DriverTest {
protected:
    // The first `percent` of `source`'s bytes, as a copy named `name`.
    QString Truncated(const QString& name, const QString& source, int percent) {
        const QByteArray whole = ReadAll(source);
        const QString cut = path(name);
        EXPECT_TRUE(WriteAll(cut, whole.left(whole.size() * percent / 100)));
        QFile::remove(source);
        return cut;
    }
};

struct Row {
    QString source;
    QString output;
    // The final "Status" text, or its start when it ends in "*".
    QString status;
    bool sourceStays = true;
    // Text the whole reason (the row's tool tip) holds.
    QString reasonHas = {};
};

bool Matches(const QString& status, const QString& expected) {
    return expected.endsWith(QLatin1Char('*')) ? status.startsWith(expected.chopped(1))
                                               : status == expected;
}

// A batch with bad files between good ones: each bad file fails (or completes as damaged) its
// own row with the reason, no box is shown, the queue goes on, no source of a failed or damaged
// row is deleted, no output replaces another and nothing is left beside the outputs.
TEST_F(BadInputQueue, EachBadFileFailsOnlyItsOwnRow) {
    settings_.deleteSource = true;
    std::vector<Row> rows;
    const auto good = [&](const QString& stem) {
        rows.push_back({Mp3(stem + QStringLiteral(".mp3"), 1), path(stem + QStringLiteral(".wma")),
                        QStringLiteral("100%"), false});
    };
    good(QStringLiteral("first"));
    rows.push_back({path(QStringLiteral("missing.mp3")), path(QStringLiteral("missing.wma")),
                    QStringLiteral("Failed: file not found"), false});
    ASSERT_TRUE(WriteAll(path(QStringLiteral("empty.mp3")), {}));
    rows.push_back({path(QStringLiteral("empty.mp3")), path(QStringLiteral("empty.wma")),
                    QStringLiteral("Failed: empty file")});
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.mp3")));
    rows.push_back({path(QStringLiteral("folder.mp3")), path(QStringLiteral("folder.wma")),
                    QStringLiteral("Failed: not a regular file")});
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe.mp3"))).constData(), 0600), 0);
    rows.push_back({path(QStringLiteral("pipe.mp3")), path(QStringLiteral("pipe.wma")),
                    QStringLiteral("Failed: not a regular file")});
    good(QStringLiteral("middle"));
    // Root reads a file whatever its mode, so the row is left out when the tests run as root.
    const QString locked = Mp3(QStringLiteral("locked.mp3"), 1);
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::WriteOwner));
    if (::access(QFile::encodeName(locked).constData(), R_OK) != 0) {
        rows.push_back({locked, path(QStringLiteral("locked.wma")),
                        QStringLiteral("Failed: file cannot be read: *")});
    } else {
        QFile::remove(locked);
    }
    QByteArray noise(64 * 1024, '\0');
    for (int i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    }
    ASSERT_TRUE(WriteAll(path(QStringLiteral("noise.mp3")), noise));
    rows.push_back({path(QStringLiteral("noise.mp3")), path(QStringLiteral("noise.wma")),
                    QStringLiteral("Failed: not an audio file the encoder accepts: *")});
    const QString aac = path(QStringLiteral("aac.mp3"));
    ASSERT_EQ(QProcess::execute(
                  QStringLiteral("ffmpeg"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                   QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=duration=1"),
                   QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-f"),
                   QStringLiteral("adts"), aac}),
              0);
    // Its content, not the name that lies about it, picks the reader.
    rows.push_back({aac, path(QStringLiteral("aac.wma")), QStringLiteral("100%"), false});
    // A WAVE file cut short converts what is there.
    // MP3 and WAVE files cut short convert what decodes and say so; their sources are kept.
    const QString cutMp3 =
        Truncated(QStringLiteral("cut.mp3"), Mp3(QStringLiteral("m.mp3"), 4), 60);
    rows.push_back(
        {cutMp3, path(QStringLiteral("cut.wma")), QStringLiteral("Done, source damaged: *"), true});
    const QString cutWav =
        Truncated(QStringLiteral("short.wav"), Wav(QStringLiteral("w.wav"), 4), 60);
    rows.push_back({cutWav, path(QStringLiteral("short.wma")),
                    QStringLiteral("Done, source damaged: *"), true});
    // A WMA file cut short decodes to what is there and says so.
    const QString cutWma =
        Truncated(QStringLiteral("clip.wma"), Wma(QStringLiteral("w.wma"), 2), 60);
    rows.push_back({cutWma, path(QStringLiteral("clip.wav")),
                    QStringLiteral("Done, source damaged: *"), true});
    // Of a long source only its first moments are left: no audio a listener would call one,
    // so the row fails instead of ending "done" with an empty output.
    const QString stubMp3 =
        Truncated(QStringLiteral("stub.mp3"), Mp3(QStringLiteral("s.mp3"), 13), 2);
    rows.push_back({stubMp3, path(QStringLiteral("stub.wma")), QStringLiteral("Failed: *"), true,
                    QStringLiteral("no audio that decodes")});
    const QString stubWma =
        Truncated(QStringLiteral("clipped.wma"), Wma(QStringLiteral("s.wma"), 13), 4);
    rows.push_back({stubWma, path(QStringLiteral("clipped.wav")), QStringLiteral("Failed: *"), true,
                    QStringLiteral("no audio could be decoded")});
    // Two sources with one output: the second job writes "dup (2).wma"; both are converted
    // and both sources, each verified by its own output, are deleted.
    rows.push_back({Mp3(QStringLiteral("dup.mp3"), 1), path(QStringLiteral("dup.wma")),
                    QStringLiteral("100%"), false});
    rows.push_back({Wav(QStringLiteral("dup.wav"), 1), path(QStringLiteral("dup.wma")),
                    QStringLiteral("100%"), false});
    good(QStringLiteral("last"));

    for (const Row& row : rows) {
        AddJob(row.source, row.output,
               row.source.endsWith(QLatin1String(".wma")) ? kWave : kCdProfile);
    }
    EXPECT_EQ(jobs_.at(jobs_.count() - 1).output, path(QStringLiteral("dup (2).wma")));
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_TRUE(ListStaysStill());

    EXPECT_TRUE(prompt_.messages.isEmpty())
        << prompt_.messages.join(QLatin1Char('|')).toStdString();
    QStringList expectedEntries;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const Row& row = rows[static_cast<size_t>(i)];
        const Job& job = jobs_.at(i + 1);
        SCOPED_TRACE(job.source.toStdString());
        EXPECT_TRUE(Matches(Status(i + 1), row.status)) << Status(i + 1).toStdString();
        const bool failed = job.state == JobState::Failed;
        EXPECT_EQ(QFileInfo::exists(job.output), !failed);
        if (!failed) {
            EXPECT_GT(QFileInfo(job.output).size(), 0);
            expectedEntries << QFileInfo(job.output).fileName();
        }
        EXPECT_TRUE(ToolTip(i + 1).contains(row.reasonHas)) << ToolTip(i + 1).toStdString();
        EXPECT_EQ(QFileInfo::exists(row.source), row.sourceStays);
        if (row.sourceStays) {
            expectedEntries << QFileInfo(row.source).fileName();
        }
    }
    expectedEntries.removeDuplicates();
    expectedEntries.sort();
    QStringList entries = FolderEntries(dir_.path());
    entries.sort();
    EXPECT_EQ(entries, expectedEntries);
    EXPECT_EQ(FolderEntries(TempFolder()), QStringList());
}

// Jobs that fail without a run end one per turn of the event loop, so the window answers
// during a long row of them: a call queued behind the start runs before the second has ended.
TEST_F(BadInputQueue, FailingJobsEndThroughTheEventLoop) {
    constexpr int kJobs = 200;
    for (int i = 1; i <= kJobs; ++i) {
        AddJob(path(QStringLiteral("gone %1.mp3").arg(i)),
               path(QStringLiteral("gone %1.wma").arg(i)));
    }
    QStringList seenByQueuedCall;
    driver_.start();
    QMetaObject::invokeMethod(
        &driver_, [&] { seenByQueuedCall << Status(1) << Status(2) << Status(3); },
        Qt::QueuedConnection);
    EXPECT_EQ(Status(1), QStringLiteral("Failed: file not found"));
    EXPECT_EQ(jobs_.at(2).state, JobState::Waiting) << "the second job waits for the event loop";
    EXPECT_TRUE(driver_.isConverting());
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_EQ(seenByQueuedCall.size(), 3);
    EXPECT_EQ(seenByQueuedCall[0], QStringLiteral("Failed: file not found"));
    EXPECT_EQ(seenByQueuedCall[2], QStringLiteral("0%")) << "the third had not started yet";
    for (int row = 1; row <= kJobs; ++row) {
        EXPECT_EQ(Status(row), QStringLiteral("Failed: file not found")) << row;
    }
    EXPECT_FALSE(driver_.isConverting());
    EXPECT_EQ(driver_.currentJob(), kJobs + 1);
    EXPECT_TRUE(prompt_.messages.isEmpty());
}

// "Yes to All" and "No to All" answer the overwrite question for the rest of the queue, and
// only until the queue ends.
TEST_F(BadInputQueue, ToAllAnswersHoldUntilTheQueueEnds) {
    settings_.overwriteExist = false;
    const QStringList stems{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    for (const QString& stem : stems) {
        ASSERT_TRUE(WriteAll(path(stem + QStringLiteral(".wma")), QByteArray("old")));
        AddJob(Mp3(stem + QStringLiteral(".mp3"), 1), path(stem + QStringLiteral(".wma")));
    }
    prompt_.batchAnswers = {RecordingPrompt::Answer::No, RecordingPrompt::Answer::YesToAll};
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_TRUE(ListStaysStill());
    EXPECT_EQ(prompt_.questions.size(), 2);
    EXPECT_EQ(Status(1), QStringLiteral("Skipped"));
    EXPECT_EQ(ReadAll(path(QStringLiteral("a.wma"))), QByteArray("old"));
    ExpectCompleted(2);
    ExpectCompleted(3);

    // A new queue asks again; "No to All" keeps every existing file.
    for (const QString& stem : {QStringLiteral("d"), QStringLiteral("e")}) {
        ASSERT_TRUE(WriteAll(path(stem + QStringLiteral(".wma")), QByteArray("old")));
        AddJob(Mp3(stem + QStringLiteral(".mp3"), 1), path(stem + QStringLiteral(".wma")));
    }
    prompt_.batchAnswers = {RecordingPrompt::Answer::NoToAll};
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_TRUE(ListStaysStill());
    EXPECT_EQ(prompt_.questions.size(), 3);
    EXPECT_EQ(Status(4), QStringLiteral("Skipped"));
    EXPECT_EQ(Status(5), QStringLiteral("Skipped"));
    EXPECT_EQ(ReadAll(path(QStringLiteral("e.wma"))), QByteArray("old"));
}

}  // namespace
