// Working the list: deleting, clearing, retrying and moving rows, and the order the queue then
// converts in, on the real encoder.
#include "engine_rig.h"

#include "core/engine/command_status.h"
#include "core/engine/list_commands.h"

#include <QFileInfo>

#include <functional>

namespace enginetest {
namespace {

// "a b c" as the list {"a", "b", "c"}.
inline QStringList Words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

// Sources by their base names: "a" is a.mp3 converted to a.wma.
QStringList Names(const JobStore& jobs) {
    QStringList names;
    for (const Job& job : jobs.jobs()) {
        names << QFileInfo(job.source).completeBaseName();
    }
    return names;
}

class ListCommands : public DriverTest {
protected:
    void AddNamed(const QStringList& names) {
        for (const QString& name : names) {
            AddJob(Mp3(name + QStringLiteral(".mp3"), 1), path(name + QStringLiteral(".wma")));
        }
    }
    // Starts the queue and returns the sources in the order their runs started.
    QStringList RunOrder() {
        QStringList order;
        onJobStarted_ = [&](int row) {
            order << QFileInfo(jobs_.at(row).source).completeBaseName();
        };
        driver_.start();
        EXPECT_TRUE(WaitUntilIdle());
        onJobStarted_ = {};
        return order;
    }
};

struct OrderCase {
    const char* what;
    std::function<std::vector<int>(ConversionDriver&)> edit;
    std::vector<int> rowsAfter;  // where the moved rows are then
    const char* order;           // the list, and the order the queue converts it in
};

TEST_F(ListCommands, MovedJobsAreConvertedInTheirNewOrder) {
    const std::vector<OrderCase> cases = {
        {"up one", [](ConversionDriver& d) { return moveJobs(d, {3}, -1); }, {2}, "a c b"},
        {"two down one",
         [](ConversionDriver& d) {
             return moveJobs(d, {1, 2}, 1);
         },
         {2, 3},
         "c a b"},
        {"the first row can't go higher, nor the one held up by it",
         [](ConversionDriver& d) {
             return moveJobs(d, {1, 2}, -1);
         },
         {1, 2},
         "a b c"},
        {"the last can't go lower",
         [](ConversionDriver& d) { return moveJobs(d, {3}, 1); },
         {3},
         "a b c"},
        {"dropped before the first",
         [](ConversionDriver& d) {
             return moveJobsTo(d, {2, 3}, 1);
         },
         {1, 2},
         "b c a"},
        {"dropped at the end",
         [](ConversionDriver& d) { return moveJobsTo(d, {1}, 4); },
         {3},
         "b c a"},
        {"rows on both sides dropped between them",
         [](ConversionDriver& d) {
             return moveJobsTo(d, {1, 3}, 2);
         },
         {1, 2},
         "a c b"},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.what);
        jobs_.removeRange(1, jobs_.count());
        for (const QString& name :
             {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}) {
            QFile::remove(path(name + QStringLiteral(".wma")));
            QFile::remove(path(name + QStringLiteral(".mp3")));
        }
        AddNamed({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        ASSERT_EQ(driver_.currentJob(), 1);
        EXPECT_EQ(c.edit(driver_), c.rowsAfter);
        EXPECT_EQ(Names(jobs_), Words(c.order));
        EXPECT_EQ(RunOrder(), Words(c.order));
        ASSERT_EQ(driver_.currentJob(), 4);
    }
}

TEST_F(ListCommands, WhileRunningOnlyRowsBelowTheRunningOneMoveAndTheRunningOneNeverGoes) {
    AddNamed({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
    QStringList order;
    bool edited = false;
    // Rows change number here: each source is recorded once, as its run starts.
    QObject::connect(&jobs_, &JobStore::changed, &driver_, [&](int row) {
        const QString name = QFileInfo(jobs_.at(row).source).completeBaseName();
        if (jobs_.at(row).state != JobState::Converting || order.contains(name)) {
            return;
        }
        order << name;
        if (name == QStringLiteral("b") && !edited) {
            edited = true;
            // a is done, b runs.
            EXPECT_EQ(firstOpenRow(driver_), 3);
            EXPECT_EQ(moveJobsTo(driver_, {4}, 3), (std::vector<int>{3}));
            EXPECT_EQ(moveJobsTo(driver_, {3}, 1), (std::vector<int>{3}));  // not above b
            EXPECT_EQ(removeJobs(driver_, {1, 2}), 1);  // the done row goes, the running stays
            EXPECT_EQ(driver_.currentJob(), 1);
        }
    });
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(order, Words("a b d c"));
    EXPECT_EQ(Names(jobs_), Words("b d c"));
    for (int row = 1; row <= 3; ++row) {
        ExpectCompleted(row);
    }
    EXPECT_EQ(driver_.currentJob(), 4);
}

TEST_F(ListCommands, ClearFinishedAndRetryFailedLeaveTheFailedJobToBeConvertedOnce) {
    AddNamed({QStringLiteral("a")});
    AddJob(path(QStringLiteral("late.mp3")), path(QStringLiteral("late.wma")));  // not there yet
    AddNamed({QStringLiteral("b")});
    EXPECT_EQ(RunOrder(), Words("a b"));
    EXPECT_EQ(Status(2), QStringLiteral("Failed: file not found"));
    EXPECT_FALSE(computeCommandStatus(driver_, 0).start);

    EXPECT_EQ(clearFinishedJobs(driver_), 2);
    EXPECT_EQ(Names(jobs_), Words("late"));
    EXPECT_EQ(driver_.currentJob(), 2);

    Mp3(QStringLiteral("late.mp3"), 1);
    EXPECT_EQ(retryFailedJobs(driver_), 1);
    EXPECT_EQ(Status(1), QStringLiteral("0%"));
    EXPECT_EQ(driver_.currentJob(), 1);
    EXPECT_TRUE(computeCommandStatus(driver_, 0).start);
    EXPECT_EQ(RunOrder(), Words("late"));
    ExpectCompleted(1);
    EXPECT_EQ(FolderEntries(dir_.path()), Words("a.mp3 a.wma b.mp3 b.wma late.mp3 late.wma"));
}

}  // namespace
}  // namespace enginetest
