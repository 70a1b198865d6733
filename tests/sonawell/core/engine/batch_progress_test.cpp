// What the status bar says of a batch, and the time left it reckons from the speed measured,
// with the times given by the test.
#include "core/engine/batch_progress.h"
#include "core/engine/time_left.h"
#include "core/jobs/job_list_file.h"
#include "core/jobs/job_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

// "a b c" as the list {"a", "b", "c"}.
inline QStringList Words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

struct TextCase {
    BatchCounts counts;
    std::optional<double> secondsLeft;
    const char* expected;
};

TEST(BatchStatusText, SaysWhatIsDoneWhatFailedAndWhatIsLeft) {
    const TextCase cases[] = {
        {{0, 0, 0}, std::nullopt, ""},
        {{340, 0, 0}, std::nullopt, "0 of 340 done"},
        {{340, 12, 2}, 230.0, "12 of 340 done \u00b7 2 failed \u00b7 about 4 min left"},
        {{340, 12, 0}, 240.0, "12 of 340 done \u00b7 about 4 min left"},
        {{3, 2, 1}, 20.0, "2 of 3 done \u00b7 1 failed \u00b7 less than a minute left"},
        {{9000, 10, 0}, 7500.0, "10 of 9000 done \u00b7 about 2 h 5 min left"},
        {{3, 3, 3}, std::nullopt, "3 of 3 done \u00b7 3 failed"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(batchStatusText(c.counts, c.secondsLeft).toStdString(), c.expected);
    }
}

struct TimeCase {
    const char* what;
    std::function<void(TimeLeft&)> feed;
    qint64 nowMs;
    int64_t waitingBytes;
    std::optional<double> expected;
};

TEST(TimeLeftEstimate, ComesFromTheSpeedMeasuredAndTheSourcesLeft) {
    const TimeCase cases[] = {
        {"nothing measured yet", [](TimeLeft& t) { t.resume(0); }, 10000, 1000, std::nullopt},
        {"too soon to tell",
         [](TimeLeft& t) {
             t.resume(0);
             t.runStarted(60, 1000);
             t.runProgress(0.5);
         },
         2000, 0, std::nullopt},
        // 30 s of audio in 10 s: three times real time; 30 s left of this one, 120 s waiting.
        {"half of the first source",
         [](TimeLeft& t) {
             t.resume(0);
             t.runStarted(60, 1000);
             t.runProgress(0.5);
         },
         10000, 2000, 50.0},
        {"a whole source done, the next not begun",
         [](TimeLeft& t) {
             t.resume(0);
             t.runStarted(60, 1000);
             t.runProgress(1.0);
             t.runEnded(true);
         },
         20000, 3000, 60.0},
        {"told as soon as a first source is done",
         [](TimeLeft& t) {
             t.resume(0);
             t.runStarted(10, 1000);
             t.runEnded(true);
         },
         500, 2000, 1.0},
        {"a failed run converts nothing",
         [](TimeLeft& t) {
             t.resume(0);
             t.runStarted(60, 1000);
             t.runProgress(0.5);
             t.runEnded(false);
         },
         10000, 1000, std::nullopt},
        {"time paused does not count",
         [](TimeLeft& t) {
             t.resume(0);
             t.runStarted(60, 1000);
             t.runProgress(0.5);
             t.pause(10000);
             t.resume(500000);
         },
         500000, 2000, 50.0},
        {"a new batch forgets the old speed",
         [](TimeLeft& t) {
             t.resume(0);
             t.runStarted(60, 1000);
             t.runProgress(0.5);
             t.pause(10000);
             t.reset();
             t.resume(20000);
         },
         40000, 2000, std::nullopt},
    };
    for (const TimeCase& c : cases) {
        SCOPED_TRACE(c.what);
        TimeLeft timeLeft;
        c.feed(timeLeft);
        const std::optional<double> left = timeLeft.secondsLeft(c.nowMs, c.waitingBytes);
        ASSERT_EQ(left.has_value(), c.expected.has_value());
        if (left) {
            EXPECT_NEAR(*left, *c.expected, 1e-6);
        }
    }
}

// --- The job list kept in a file -------------------------------------------------------------

QStringList Sources(const std::vector<KeptJob>& jobs) {
    QStringList sources;
    for (const KeptJob& job : jobs) {
        sources << QFileInfo(job.source).fileName();
    }
    return sources;
}

class JobListFileTest : public testing::Test {
protected:
    QString In(const QString& name) const { return dir_.filePath(name); }
    void Add(const QString& name) {
        jobs_.add(In(name + QStringLiteral(".mp3")), In(name + QStringLiteral(".wma")),
                  QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)"));
    }
    // What a program starting now would be offered.
    std::vector<KeptJob> Offered() const {
        JobStore none;
        return JobListFile(none, path_).kept();
    }

    QTemporaryDir dir_;
    QString path_ = dir_.filePath(QStringLiteral("state/Sonawell/jobs.json"));
    JobStore jobs_;
};

TEST_F(JobListFileTest, KeepsTheUnfinishedJobsWithTheirTargetsAndNoFileWhenNoneIsLeft) {
    JobListFile file(jobs_, path_);
    file.follow();
    EXPECT_FALSE(QFile::exists(path_)) << "an empty list leaves no file";

    Add(QStringLiteral("a"));
    Add(QStringLiteral("a"));  // the same target: numbered, and kept so
    Add(QStringLiteral("b"));
    Add(QStringLiteral("c"));
    jobs_.setState(2, JobState::Converting);
    jobs_.setState(3, JobState::Stopped);
    jobs_.setState(4, JobState::Failed, QStringLiteral("no"));
    // Not rewritten for each change, but once, a moment later.
    EXPECT_FALSE(QFile::exists(path_));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Offered().size() == 3; }, 60000));
    const std::vector<KeptJob> offered = Offered();
    EXPECT_EQ(Sources(offered), Words("a.mp3 a.mp3 b.mp3"));
    EXPECT_EQ(QFileInfo(offered[1].output).fileName(), QStringLiteral("a (2).wma"));
    EXPECT_EQ(offered[0].profile, jobs_.at(1).profile);

    jobs_.setState(1, JobState::Done);
    jobs_.setState(2, JobState::Done);
    jobs_.remove(3);
    file.flush();
    EXPECT_FALSE(QFile::exists(path_));
}

TEST_F(JobListFileTest, AJobWhoseOutputAppearedAfterTheLastRewriteIsNotOfferedAgain) {
    Add(QStringLiteral("a"));
    Add(QStringLiteral("b"));
    Add(QStringLiteral("c"));
    // A file of `name` modified at `when`.
    const auto make = [this](const char* name, const QDateTime& when) {
        QFile file(In(QLatin1String(name)));
        return file.open(QIODevice::WriteOnly) &&
               file.setFileTime(when, QFileDevice::FileModificationTime);
    };
    // c's output was there before: its job has not run.
    ASSERT_TRUE(make("c.wma", QDateTime::currentDateTime().addSecs(-60)));
    JobListFile(jobs_, path_).follow();
    // a's run ended and linked its output in the moment before a kill.
    ASSERT_TRUE(make("a.wma", QFileInfo(path_).lastModified().addSecs(1)));
    EXPECT_EQ(Sources(Offered()), Words("b.mp3 c.mp3"));
}

TEST(JobListPath, IsUnderTheStateFolder) {
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/tmp/state-here");
    EXPECT_EQ(jobListPath(), QStringLiteral("/tmp/state-here/Sonawell/jobs.json"));
    qputenv("XDG_STATE_HOME", "relative/state");
    EXPECT_EQ(jobListPath(), QDir::homePath() + QStringLiteral("/.local/state/Sonawell/jobs.json"));
    qunsetenv("XDG_STATE_HOME");
    EXPECT_EQ(jobListPath(), QDir::homePath() + QStringLiteral("/.local/state/Sonawell/jobs.json"));
    if (!saved.isNull()) {
        qputenv("XDG_STATE_HOME", saved);
    }
}

}  // namespace
