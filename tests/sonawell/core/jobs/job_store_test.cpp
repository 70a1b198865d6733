// The output name a new job gets from what the list and the folder hold, and what adding a job
// costs in file-system look-ups as the list grows.

#include "core/jobs/job_store.h"
#include "core/jobs/resolved_path.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <vector>

void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

const QString kProfile = QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)");

// A job in the list before the new one: its output as asked, the state it reaches once all
// of them are in the list, and whether the user then removes it.
struct Earlier {
    const char* output;
    std::optional<JobState> state = std::nullopt;
    bool removed = false;
    const char* source = "in.mp3";
};

struct NamingCase {
    const char* what;
    std::vector<Earlier> earlier;
    // Files in the folder when the new job is added.
    std::vector<const char*> files;
    const char* asked;
    const char* expected;
};

TEST(JobStoreNaming, ANewJobGetsTheNameAskedForOrTheNextFreeOne) {
    const std::vector<NamingCase> cases = {
        {"a waiting job holds its name", {{"x.wma"}}, {}, "x.wma", "x (2).wma"},
        {"so does a stopped one", {{"x.wma", JobState::Stopped}}, {}, "x.wma", "x (2).wma"},
        {"a failed job's name is free", {{"x.wma", JobState::Failed}}, {}, "x.wma", "x.wma"},
        {"a removed job's name is free", {{"x.wma", std::nullopt, true}}, {}, "x.wma", "x.wma"},
        {"a done job's file holds the name",
         {{"x.wma", JobState::Done}},
         {"x.wma"},
         "x.wma",
         "x (2).wma"},
        {"removed from the list too",
         {{"x.wma", JobState::Done, true}},
         {"x.wma"},
         "x.wma",
         "x (2).wma"},
        {"a written file the user deleted holds nothing",
         {{"x.wma", JobState::Done}},
         {},
         "x.wma",
         "x.wma"},
        {"nor once its row is removed",
         {{"x.wma", JobState::DoneDamaged, true}},
         {},
         "x.wma",
         "x.wma"},
        {"numbers go up", {{"x.wma"}, {"x.wma"}}, {}, "x.wma", "x (3).wma"},
        {"a file at a numbered name is passed over",
         {{"x.wma"}},
         {"x (2).wma"},
         "x.wma",
         "x (3).wma"},
        {"a failed job gives its number back",
         {{"x.wma"}, {"x.wma", JobState::Failed}, {"x.wma"}},
         {},
         "x.wma",
         "x (2).wma"},
        {"a removed one too",
         {{"x.wma"}, {"x.wma", std::nullopt, true}, {"x.wma"}},
         {},
         "x.wma",
         "x (2).wma"},
        {"place holders in the name stay as they are",
         {{"Track %1 %2%3 live.wma"}},
         {},
         "Track %1 %2%3 live.wma",
         "Track %1 %2%3 live (2).wma"},
        {"a name without an extension", {{"x"}}, {}, "x", "x (2)"},
        {"the same file by another path", {{"sub/../x.wma"}}, {}, "x.wma", "x (2).wma"},
        {"a job whose output is its source holds nothing",
         {{"a.wma", std::nullopt, false, "a.wma"}},
         {},
         "a.wma",
         "a.wma"},
    };
    for (const NamingCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        const auto path = [&](const char* name) { return dir.filePath(QString::fromUtf8(name)); };
        JobStore jobs;
        for (const Earlier& e : c.earlier) {
            jobs.add(path(e.source), path(e.output), kProfile);
        }
        for (int row = 1; row <= jobs.count(); ++row) {
            if (const auto state = c.earlier[static_cast<size_t>(row - 1)].state) {
                jobs.setState(row, *state);
            }
        }
        for (int row = jobs.count(); row >= 1; --row) {
            if (c.earlier[static_cast<size_t>(row - 1)].removed) {
                jobs.remove(row);
            }
        }
        for (const char* name : c.files) {
            QFile file(path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        jobs.add(path("new.mp3"), path(c.asked), kProfile);
        EXPECT_EQ(jobs.at(jobs.count()).output, path(c.expected));
    }
}

// No job costs more look-ups than the second: neither the list's length nor the number of jobs
// asking for the same name before it adds any.
TEST(JobStoreLookups, StayTheSamePerJobHoweverLongTheList) {
    constexpr int kJobs = 3000;
    for (const bool oneName : {false, true}) {
        SCOPED_TRACE(oneName ? "every job asks for one name" : "every job asks for its own name");
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        int lookups = 0;
        JobStore jobs([&lookups](const QString& path) {
            ++lookups;
            return resolvedPath(path);
        });
        int second = 0;
        for (int i = 1; i <= kJobs; ++i) {
            const QString stem = dir.filePath(QStringLiteral("track %1").arg(i));
            const QString output =
                oneName ? dir.filePath(QStringLiteral("x.wma")) : stem + QStringLiteral(".wma");
            const int before = lookups;
            jobs.add(stem + QStringLiteral(".mp3"), output, kProfile);
            const int cost = lookups - before;
            if (i == 2) {
                second = cost;
            }
            if (i >= 2) {
                ASSERT_LE(cost, second) << "job " << i;
            }
        }
        EXPECT_EQ(jobs.at(kJobs).output,
                  oneName ? dir.filePath(QStringLiteral("x (%1).wma").arg(kJobs))
                          : dir.filePath(QStringLiteral("track %1.wma").arg(kJobs)));
    }
}

}  // namespace
