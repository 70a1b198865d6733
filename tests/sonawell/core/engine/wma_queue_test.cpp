#include "engine_rig.h"

#include "core/engine/command_status.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

using namespace enginetest;
using sw::enc::RunState;

namespace {

const QString kWma = QStringLiteral("wmav2|asf");

const testsupport::Id3v1 kTagWithTrack{
    "Caf\xe9 au lait", "The Artist", "The Album", "1999", "Short comment", 17, 7};
// A version 1.0 tag: the comment takes all 30 bytes and there is no track number.
const testsupport::Id3v1 kTagWithoutTrack{
    "Second Title", "Other Artist", "Other Album", "2004", "Thirty characters of comment!!", 80, 0};

const QStringList kAttributeNames{QStringLiteral("WM/AlbumTitle"), QStringLiteral("WM/Year"),
                                  QStringLiteral("WM/GenreID"), QStringLiteral("WM/Track")};

class WmaQueue : public DriverTest {
protected:
    void ExpectTag(const QString& output, const testsupport::Id3v1& tag) {
        SCOPED_TRACE(output.toStdString());
        const AsfReadBack back = ReadAsf(output);
        ASSERT_TRUE(back.valid);
        EXPECT_EQ(back.author, QString::fromLatin1(tag.artist));
        EXPECT_EQ(back.title, QString::fromLatin1(tag.title));
        EXPECT_EQ(back.description, QString::fromLatin1(tag.comment));
        EXPECT_EQ(back.attributes.at(QStringLiteral("WM/AlbumTitle")),
                  QString::fromLatin1(tag.album));
        EXPECT_EQ(back.attributes.at(QStringLiteral("WM/Year")), QString::fromLatin1(tag.year));
        EXPECT_EQ(back.attributes.at(QStringLiteral("WM/GenreID")), QString::number(tag.genre));
        EXPECT_FALSE(back.isDword.at(QStringLiteral("WM/GenreID")));
        if (tag.track > 0) {
            ASSERT_EQ(back.attributes.count(QStringLiteral("WM/Track")), 1u);
            EXPECT_EQ(back.attributes.at(QStringLiteral("WM/Track")), QString::number(tag.track));
            EXPECT_TRUE(back.isDword.at(QStringLiteral("WM/Track")));
        } else {
            EXPECT_EQ(back.attributes.count(QStringLiteral("WM/Track")), 0u);
        }
    }

    void ExpectNoTag(const QString& output) {
        SCOPED_TRACE(output.toStdString());
        const AsfReadBack back = ReadAsf(output);
        ASSERT_TRUE(back.valid);
        EXPECT_TRUE(back.title.isEmpty());
        EXPECT_TRUE(back.author.isEmpty());
        EXPECT_TRUE(back.description.isEmpty());
        for (const QString& name : kAttributeNames) {
            EXPECT_EQ(back.attributes.count(name), 0u) << name.toStdString();
        }
    }

    int Notified(RunState state) const {
        return static_cast<int>(std::count_if(states_.begin(), states_.end(),
                                              [state](auto& s) { return s.state == state; }));
    }
    std::vector<StateSeen> Seen(RunState state) const {
        std::vector<StateSeen> seen;
        std::copy_if(states_.begin(), states_.end(), std::back_inserter(seen),
                     [state](auto& s) { return s.state == state; });
        return seen;
    }

    void ExpectQueueExhausted() {
        EXPECT_FALSE(driver_.isConverting());
        EXPECT_TRUE(ListStaysStill());
        EXPECT_EQ(driver_.currentJob(), jobs_.count() + 1);
        const CommandStatus status = computeCommandStatus(driver_, 0);
        EXPECT_FALSE(status.start);
        EXPECT_FALSE(status.stop);
    }
};

}  // namespace

TEST_F(WmaQueue, ThreeMp3JobsConvertInTurnWithTheirTags) {
    const QString a = Mp3(QStringLiteral("a.mp3"));
    const QString b = Mp3(QStringLiteral("b.mp3"), 2);
    const QString c = Mp3(QStringLiteral("c.mp3"), 1);
    ASSERT_TRUE(testsupport::AppendId3v1(a, kTagWithTrack));
    ASSERT_TRUE(testsupport::AppendId3v1(b, kTagWithoutTrack));
    const QByteArray sourceBytes = ReadAll(a) + ReadAll(b) + ReadAll(c);
    // With "OverwriteExist" on, an existing output is replaced without a question.
    ASSERT_TRUE(WriteAll(path(QStringLiteral("c.wma")), "an older c.wma"));
    for (const QString& source : {a, b, c}) {
        AddJob(source, QString(source).replace(QStringLiteral(".mp3"), QStringLiteral(".wma")));
    }

    std::vector<CommandStatus> whileRunning;
    onState_ = [&](RunState state) {
        if (state == RunState::Running) {
            whileRunning.push_back(computeCommandStatus(driver_, 0));
        }
    };
    driver_.start();
    EXPECT_TRUE(driver_.isConverting());
    EXPECT_EQ(jobs_.at(1).state, JobState::Converting);
    ASSERT_TRUE(WaitUntilIdle());

    for (int row = 1; row <= 3; ++row) {
        ExpectCompleted(row);
    }
    ExpectQueueExhausted();
    EXPECT_TRUE(prompt_.messages.isEmpty());
    EXPECT_TRUE(prompt_.questions.isEmpty());

    // Each next job is started by the driver's handling of the previous run's end.
    EXPECT_EQ(Notified(RunState::Starting), 3);
    const auto ends = Seen(RunState::Stopped);
    ASSERT_EQ(ends.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ends[i].currentJob, i + 2);
        EXPECT_TRUE(ends[i].converting);
        EXPECT_EQ(ends[i].input, jobs_.at(i + 2).source);
    }
    EXPECT_FALSE(ends[2].converting);
    EXPECT_EQ(ends[2].input, jobs_.at(3).source);

    ASSERT_EQ(whileRunning.size(), 3u);
    for (size_t i = 0; i < whileRunning.size(); ++i) {
        EXPECT_FALSE(whileRunning[i].start);
        EXPECT_TRUE(whileRunning[i].stop);
    }

    for (int row = 1; row <= 3; ++row) {
        ExpectSameLength(jobs_.at(row).source, jobs_.at(row).output, kWma);
    }
    ExpectTag(path(QStringLiteral("a.wma")), kTagWithTrack);
    ExpectTag(path(QStringLiteral("b.wma")), kTagWithoutTrack);
    ExpectNoTag(path(QStringLiteral("c.wma")));
    EXPECT_EQ(ReadAll(a) + ReadAll(b) + ReadAll(c), sourceBytes);
    EXPECT_EQ(
        FolderEntries(dir_.path()),
        (QStringList{QStringLiteral("a.mp3"), QStringLiteral("a.wma"), QStringLiteral("b.mp3"),
                     QStringLiteral("b.wma"), QStringLiteral("c.mp3"), QStringLiteral("c.wma")}));
}

TEST_F(WmaQueue, WaitingJobDeletedDuringARunIsNeverConverted) {
    for (const char* name : {"one", "two", "three"}) {
        const QString source = Mp3(QString::fromLatin1(name) + QStringLiteral(".mp3"), 1);
        AddJob(source, path(QString::fromLatin1(name) + QStringLiteral(".wma")));
    }
    bool deleted = false;
    std::vector<bool> deleteOffered;
    onState_ = [&](RunState state) {
        if (state != RunState::Running || deleted) {
            return;
        }
        for (int row = 1; row <= 3; ++row) {
            deleteOffered.push_back(computeCommandStatus(driver_, row).del);
        }
        jobs_.remove(2);
        deleted = true;
    };
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(deleteOffered, (std::vector<bool>{false, true, true}));
    ASSERT_EQ(jobs_.count(), 2);
    EXPECT_EQ(jobs_.at(2).source, path(QStringLiteral("three.mp3")));
    ExpectCompleted(1);
    ExpectCompleted(2);
    ExpectQueueExhausted();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("two.wma"))));
}

// The second job runs long enough for "Status" to show its progress before the stop: a long
// narrow-band source that the profile makes into 44.1 kHz stereo.
TEST_F(WmaQueue, StopInTheMiddleOfJob2ThenStartEncodesItAgain) {
    const QString first = Mp3(QStringLiteral("first.mp3"));
    const QString second = Wav(QStringLiteral("second.wav"), 900, 8000, 1);
    const QString third = Mp3(QStringLiteral("third.mp3"), 1);
    AddJob(first, path(QStringLiteral("first.wma")));
    AddJob(second, path(QStringLiteral("second.wma")));
    AddJob(third, path(QStringLiteral("third.wma")));

    driver_.start();
    const QRegularExpression midway(QStringLiteral("^([1-9]|[1-9][0-9])%$"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return driver_.currentJob() == 2 && midway.match(Status(2)).hasMatch(); }, 60000))
        << Status(2).toStdString();
    const QString shown = Status(2);
    // The refreshes seen by the time each state is notified: the end of the stopped run must
    // refresh the commands, or Start would stay unavailable.
    std::map<RunState, int> refreshesAt;
    onState_ = [&](RunState state) { refreshesAt[state] = commandRefreshes_; };
    driver_.stop();
    const int refreshesAfterStop = commandRefreshes_;

    EXPECT_FALSE(driver_.isConverting());
    EXPECT_EQ(driver_.currentJob(), 2);
    // Until the stopped run has ended, the encoder can't take another.
    EXPECT_FALSE(driver_.canStart());
    EXPECT_FALSE(computeCommandStatus(driver_, 0).start);
    ASSERT_TRUE(WaitForState(RunState::Stopped));
    ASSERT_EQ(encoder_.lastOutcome(), sw::enc::RunOutcome::Stopped)
        << "the run ended before the stop reached it";
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_EQ(refreshesAt.count(RunState::Stopped), 1u);
    EXPECT_GT(refreshesAt[RunState::Stopped],
              std::max(refreshesAfterStop, refreshesAt[RunState::Stopping]));
    onState_ = nullptr;

    // The stopped job keeps the progress it showed, marked stopped; nothing refreshes it any
    // more.
    EXPECT_TRUE(ListStaysStill());
    EXPECT_EQ(driver_.currentJob(), 2);
    EXPECT_EQ(Status(2), QStringLiteral("Stopped (%1)").arg(shown));
    EXPECT_FALSE(jobs_.at(2).outputSize);
    EXPECT_EQ(Status(3), QStringLiteral("0%"));
    EXPECT_TRUE(driver_.canStart());
    EXPECT_EQ(FolderEntries(dir_.path()),
              (QStringList{QStringLiteral("first.mp3"), QStringLiteral("first.wma"),
                           QStringLiteral("second.wav"), QStringLiteral("third.mp3")}))
        << "a stopped run leaves no partial file";

    driver_.start();
    EXPECT_EQ(encoder_.request().source, second);
    ASSERT_TRUE(WaitUntilIdle());
    ExpectCompleted(1);
    ExpectCompleted(2);
    ExpectCompleted(3);
    ExpectQueueExhausted();
    ExpectSameLength(second, path(QStringLiteral("second.wma")), kWma);
    EXPECT_EQ(Notified(RunState::Starting), 4);
}

// A stop given before the run's first notification has arrived (a click queued behind the
// start) must still keep Start back until the encoder is free again.
TEST_F(WmaQueue, StopRightAfterStartThenStartAgain) {
    const QString source = Mp3(QStringLiteral("song.mp3"));
    AddJob(source, path(QStringLiteral("song.wma")));
    driver_.start();
    driver_.stop();
    ASSERT_TRUE(QTest::qWaitFor([this] { return driver_.canStart(); }, 60000));
    EXPECT_NO_THROW(driver_.start());
    ASSERT_TRUE(WaitUntilIdle());
    ExpectCompleted(1);
    ExpectQueueExhausted();
    ExpectSameLength(source, path(QStringLiteral("song.wma")), kWma);
}

TEST_F(WmaQueue, MpegAudioUnderAWaveNameIsEncodedAsWhatItHolds) {
    // MPEG audio layer II in a file named ".wav": its content picks the reader, not its name.
    const QString disguised = path(QStringLiteral("speech.wav"));
    ASSERT_TRUE(QFile::rename(Mp2(QStringLiteral("speech.mp2"), 2), disguised));
    ASSERT_TRUE(testsupport::AppendId3v1(disguised, kTagWithTrack));
    const QString next = Mp3(QStringLiteral("next.mp3"), 1);
    AddJob(disguised, path(QStringLiteral("speech.wma")));
    AddJob(next, path(QStringLiteral("next.wma")));

    QStringList tempDuringRun;
    QString inputDuringRun;
    // Looked at as the first run starts, once it has been set up.
    onState_ = [&](RunState state) {
        if (state == RunState::Starting && inputDuringRun.isEmpty()) {
            tempDuringRun = FolderEntries(TempFolder());
            inputDuringRun = encoder_.request().source;
        }
    };
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());

    EXPECT_EQ(tempDuringRun, QStringList());
    EXPECT_EQ(inputDuringRun, disguised);
    EXPECT_TRUE(prompt_.messages.isEmpty());
    ExpectCompleted(1);
    ExpectCompleted(2);
    ExpectSameLength(disguised, path(QStringLiteral("speech.wma")), kWma);
    ExpectTag(path(QStringLiteral("speech.wma")), kTagWithTrack);
    EXPECT_EQ(FolderEntries(TempFolder()), QStringList());
}

TEST_F(WmaQueue, StoppedRunOfADisguisedMp2LeavesNoTemporaryFile) {
    const QString disguised = path(QStringLiteral("speech.wav"));
    ASSERT_TRUE(QFile::rename(Mp2(QStringLiteral("speech.mp2"), 2), disguised));
    AddJob(disguised, path(QStringLiteral("speech.wma")));
    onState_ = [&](RunState state) {
        if (state == RunState::Running) {
            driver_.stop();
        }
    };
    driver_.start();
    ASSERT_TRUE(WaitForState(RunState::Stopped));
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(driver_.currentJob(), 1);
    EXPECT_EQ(FolderEntries(TempFolder()), QStringList());
}

TEST_F(WmaQueue, RefusedSourceFailsItsRowAndTheQueueGoesOn) {
    // A refused source used to stop the queue behind an "Invalid source file format" box; the
    // reason is on its row now and the jobs after it are converted.
    QByteArray noise(64 * 1024, '\0');
    for (int i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    }
    const QString bad = path(QStringLiteral("noise.mp3"));
    ASSERT_TRUE(WriteAll(bad, noise));
    AddJob(Mp3(QStringLiteral("one.mp3"), 1), path(QStringLiteral("one.wma")));
    AddJob(bad, path(QStringLiteral("noise.wma")));
    AddJob(Mp3(QStringLiteral("three.mp3"), 1), path(QStringLiteral("three.wma")));
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    ExpectCompleted(1);
    EXPECT_TRUE(prompt_.messages.isEmpty());
    EXPECT_EQ(jobs_.at(2).state, JobState::Failed);
    EXPECT_TRUE(
        Status(2).startsWith(QStringLiteral("Failed: not an audio file the encoder accepts: ")))
        << Status(2).toStdString();
    EXPECT_FALSE(StatusHistory(2).contains(QStringLiteral("100%")));
    EXPECT_TRUE(QFileInfo::exists(bad));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("noise.wma"))));
    ExpectCompleted(3);
    ExpectQueueExhausted();
    EXPECT_EQ(FolderEntries(TempFolder()), QStringList());
}

TEST_F(WmaQueue, SetUpErrorsAreRaisedFromStartAndTheJobStaysCurrent) {
    const QString source = Mp3(QStringLiteral("song.mp3"), 1);
    AddJob(source, path(QStringLiteral("song.wma")), QStringLiteral("No such profile"));
    try {
        driver_.start();
        ADD_FAILURE() << "Start raised nothing";
    } catch (const sw::Error& error) {
        EXPECT_EQ(error.code(), sw::ErrorCode::NoProfile);
        EXPECT_FALSE(error.text().isEmpty());
    }
    EXPECT_FALSE(driver_.isConverting());
    EXPECT_TRUE(ListStaysStill());
    EXPECT_EQ(driver_.currentJob(), 1);
    EXPECT_EQ(Status(1), QStringLiteral("0%"));
    EXPECT_EQ(jobs_.at(1).state, JobState::Waiting);
    EXPECT_TRUE(driver_.canStart());
    EXPECT_TRUE(prompt_.messages.isEmpty());

    // Once the cause is put right, the job in that place starts.
    jobs_.remove(1);
    AddJob(source, path(QStringLiteral("song.wma")));
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    ExpectCompleted(1);
}

TEST_F(WmaQueue, SetUpErrorAfterAFinishedJobIsShownAndEndsTheRun) {
    AddJob(Mp3(QStringLiteral("one.mp3"), 1), path(QStringLiteral("one.wma")));
    AddJob(Mp3(QStringLiteral("two.mp3"), 1), path(QStringLiteral("two.wma")),
           QStringLiteral("Video for broadband (audio and video, 340 Kbps)"));
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    ExpectCompleted(1);
    ASSERT_EQ(prompt_.messages.size(), 1);
    // A stored profile name from an older set-up that no audio profile has.
    EXPECT_TRUE(prompt_.messages.first().contains(
        QStringLiteral("Video for broadband (audio and video, 340 Kbps)")))
        << prompt_.messages.first().toStdString();
    EXPECT_EQ(driver_.currentJob(), 2);
    EXPECT_FALSE(driver_.isConverting());
    EXPECT_TRUE(ListStaysStill());
    EXPECT_EQ(Status(2), QStringLiteral("0%"));
    EXPECT_TRUE(driver_.canStart());
}

TEST_F(WmaQueue, DeleteSourceRemovesEachSourceRightAfterItsJobAndKeepsFailedOnes) {
    settings_.deleteSource = true;
    const QString a = Mp3(QStringLiteral("a.mp3"));
    // The tag is read before its source is given up.
    ASSERT_TRUE(testsupport::AppendId3v1(a, kTagWithTrack));
    QByteArray cutBytes = ReadAll(Mp3(QStringLiteral("full.mp3"), 3));
    QFile::remove(path(QStringLiteral("full.mp3")));
    cutBytes.truncate(cutBytes.size() / 2 + 77);  // mid-frame
    const QString cut = path(QStringLiteral("cut.mp3"));
    ASSERT_TRUE(WriteAll(cut, cutBytes));
    const QString b = Mp3(QStringLiteral("b.mp3"), 1);
    const QString c = Mp3(QStringLiteral("c.mp3"), 1);
    const QByteArray cBytes = ReadAll(c);
    // A failed run leaves an older output as it was; that file is no sign of success.
    ASSERT_TRUE(WriteAll(path(QStringLiteral("cut.wma")), "an older cut.wma"));
    AddJob(a, path(QStringLiteral("a.wma")));
    AddJob(cut, path(QStringLiteral("cut.wma")));
    AddJob(b, path(QStringLiteral("b.wma")));
    AddJob(c, path(QStringLiteral("no/such/folder/c.wma")));

    std::map<int, std::vector<bool>> sourcesAtStart;
    onJobStarted_ = [&](int row) {
        for (const QString& source : {a, cut, b, c}) {
            sourcesAtStart[row].push_back(QFile::exists(source));
        }
    };
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());

    EXPECT_EQ(sourcesAtStart[1], (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(sourcesAtStart[2], (std::vector<bool>{false, true, true, true}));
    EXPECT_EQ(sourcesAtStart[3], (std::vector<bool>{false, true, true, true}));
    EXPECT_EQ(sourcesAtStart[4], (std::vector<bool>{false, true, false, true}));

    ExpectCompleted(1);
    ExpectCompleted(3);
    ExpectTag(path(QStringLiteral("a.wma")), kTagWithTrack);
    // A source cut short converts what decodes, and is kept.
    EXPECT_TRUE(Status(2).startsWith(QStringLiteral("Done, source damaged: ")))
        << Status(2).toStdString();
    EXPECT_TRUE(ToolTip(2).contains(QStringLiteral("source damaged"))) << ToolTip(2).toStdString();
    EXPECT_EQ(jobs_.at(2).state, JobState::DoneDamaged);
    EXPECT_NE(ReadAll(path(QStringLiteral("cut.wma"))), QByteArray("an older cut.wma"));
    EXPECT_TRUE(Status(4).startsWith(QStringLiteral("Failed: "))) << Status(4).toStdString();
    EXPECT_TRUE(ToolTip(4).contains(QStringLiteral("could not be created")))
        << ToolTip(4).toStdString();
    for (int row : {2, 4}) {
        EXPECT_FALSE(StatusHistory(row).contains(QStringLiteral("100%")));
    }
    EXPECT_EQ(jobs_.at(4).state, JobState::Failed);
    ExpectQueueExhausted();
    EXPECT_EQ(ReadAll(cut), cutBytes);
    EXPECT_EQ(ReadAll(c), cBytes);
    EXPECT_EQ(
        FolderEntries(dir_.path()),
        (QStringList{QStringLiteral("a.wma"), QStringLiteral("b.wma"), QStringLiteral("c.mp3"),
                     QStringLiteral("cut.mp3"), QStringLiteral("cut.wma")}));
}

TEST_F(WmaQueue, OutputThatIsItsOwnSourceFailsWithoutAQuestion) {
    settings_.overwriteExist = false;
    settings_.deleteSource = true;
    const QString source = Mp3(QStringLiteral("song.mp3"), 1);
    const QByteArray bytes = ReadAll(source);
    ASSERT_TRUE(QDir().mkdir(path(QStringLiteral("sub"))));
    ASSERT_TRUE(QFile::link(source, path(QStringLiteral("link.mp3"))));
    const QString spellings[] = {
        dir_.path() + QStringLiteral("/./song.mp3"),
        dir_.path() + QStringLiteral("/sub/../song.mp3"),
        dir_.path() + QStringLiteral("//song.mp3"),
        path(QStringLiteral("link.mp3")),
    };
    for (const QString& output : spellings) {
        AddJob(source, output);
    }
    AddJob(Mp3(QStringLiteral("other.mp3"), 1), path(QStringLiteral("other.wma")));
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());

    for (int row = 1; row <= 4; ++row) {
        SCOPED_TRACE(row);
        EXPECT_TRUE(Status(row).startsWith(QStringLiteral("Failed: ")));
        EXPECT_TRUE(Status(row).contains(QStringLiteral("source file")))
            << Status(row).toStdString();
        EXPECT_TRUE(ToolTip(row).contains(QStringLiteral("not converted")))
            << ToolTip(row).toStdString();
    }
    ExpectCompleted(5);
    ExpectQueueExhausted();
    EXPECT_TRUE(prompt_.questions.isEmpty());
    EXPECT_EQ(ReadAll(source), bytes);
    EXPECT_EQ(Notified(RunState::Starting), 1);
}

TEST_F(WmaQueue, ExistingOutputIsReplacedOnYesAndSkippedOnNo) {
    settings_.overwriteExist = false;
    settings_.deleteSource = true;
    const QString yes = Mp3(QStringLiteral("yes.mp3"), 1);
    const QString no = Mp3(QStringLiteral("no.mp3"), 1);
    const QString fresh = Mp3(QStringLiteral("fresh.mp3"), 1);
    ASSERT_TRUE(WriteAll(path(QStringLiteral("yes.wma")), "the user's yes.wma"));
    ASSERT_TRUE(WriteAll(path(QStringLiteral("no.wma")), "the user's no.wma"));
    const auto yesLength = testsupport::ProbeDuration(yes);
    ASSERT_TRUE(yesLength);
    AddJob(yes, path(QStringLiteral("yes.wma")));
    AddJob(no, path(QStringLiteral("no.wma")));
    AddJob(fresh, path(QStringLiteral("fresh.wma")));
    prompt_.answers = {true, false};
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());

    ASSERT_EQ(prompt_.questions.size(), 2);
    EXPECT_TRUE(prompt_.questions[0].contains(path(QStringLiteral("yes.wma"))));
    EXPECT_TRUE(prompt_.questions[1].contains(path(QStringLiteral("no.wma"))));
    ExpectCompleted(1);
    ExpectLength(path(QStringLiteral("yes.wma")), *yesLength, kWma);
    EXPECT_EQ(Status(2), QStringLiteral("Skipped"));
    EXPECT_TRUE(ToolTip(2).contains(path(QStringLiteral("no.wma"))));
    EXPECT_EQ(jobs_.at(2).state, JobState::Skipped);
    EXPECT_EQ(ReadAll(path(QStringLiteral("no.wma"))), QByteArray("the user's no.wma"));
    ExpectCompleted(3);
    ExpectQueueExhausted();
    // The skipped job's source is kept; the converted ones are given up.
    EXPECT_EQ(FolderEntries(dir_.path()),
              (QStringList{QStringLiteral("fresh.wma"), QStringLiteral("no.mp3"),
                           QStringLiteral("no.wma"), QStringLiteral("yes.wma")}));
}

// Killed inside the tag write (with a large cover it takes a while), the program leaves the
// old file at the output name and nothing beside it: the tags go into the output before it has
// a name. Run in a child of this test program (main.cpp), which kills itself there.
TEST_F(WmaQueue, AKillDuringTheTagWriteLeavesTheOldFileAtTheName) {
    const QString source = Mp3(QStringLiteral("covered.mp3"), 3);
    {
        TagLib::MPEG::File file(QFile::encodeName(source).constData());
        ASSERT_TRUE(file.isValid());
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
        tag->setTitle("Covered");
        auto* cover = new TagLib::ID3v2::AttachedPictureFrame;
        cover->setMimeType("image/png");
        cover->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        cover->setPicture(TagLib::ByteVector(8 * 1024 * 1024, 'p'));
        tag->addFrame(cover);  // the tag owns its frames
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
    }
    const QString output = path(QStringLiteral("covered.wma"));
    ASSERT_TRUE(WriteAll(output, "kept"));
    const QStringList entries = FolderEntries(dir_.path());

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--kill-in-tag-write"), source, output, kCdProfile});
    ASSERT_TRUE(child.waitForFinished(120000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << "exit code " << child.exitCode();
    EXPECT_EQ(ReadAll(output), QByteArray("kept"));
    EXPECT_EQ(FolderEntries(dir_.path()), entries);
}
