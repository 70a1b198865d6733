#include "core/engine/command_status.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    std::string name;
    QueueSnapshot queue;
    bool start, stop, del;
};

// converting, busy, current, count, selected
const Case kCases[] = {
    {"empty list", {false, false, 1, 0, 0}, false, false, false},
    {"jobs waiting, none selected", {false, false, 1, 3, 0}, true, false, false},
    {"idle before any job: the first row can go", {false, false, 1, 3, 1}, true, false, true},
    {"idle at job 2: done row 1 can go", {false, false, 2, 3, 1}, true, false, true},
    {"idle at job 2: the current row can go", {false, false, 2, 3, 2}, true, false, true},
    {"idle at job 2: a later row can go", {false, false, 2, 3, 3}, true, false, true},
    {"converting job 2: done row 1 can go", {true, false, 2, 3, 1}, false, true, true},
    {"converting job 2: the running row stays", {true, false, 2, 3, 2}, false, true, false},
    {"converting job 2: a waiting row can go", {true, false, 2, 3, 3}, false, true, true},
    {"converting job 2, none selected", {true, false, 2, 3, 0}, false, true, false},
    {"converting the last job", {true, false, 3, 3, 3}, false, true, false},
    {"every job done: a done row can go", {false, false, 4, 3, 3}, false, false, true},
    {"every job done, none selected", {false, false, 4, 3, 0}, false, false, false},
    {"a job added after the queue ran out", {false, false, 4, 4, 4}, true, false, true},
    // A stopped run that has not ended yet, or a decode seen from inside its progress
    // callback: nothing may start, and the job in hand keeps its row.
    {"a stopped run still ending", {false, true, 2, 3, 2}, false, false, false},
    {"a stopped run still ending, later row", {false, true, 2, 3, 3}, false, false, true},
    {"a stopped run still ending, done row", {false, true, 2, 3, 1}, false, false, true},
    {"a row past the end", {false, false, 1, 3, 4}, true, false, false},
    {"decoding job 1", {true, true, 1, 2, 1}, false, true, false},
    {"decoding job 1, later row", {true, true, 1, 2, 2}, false, true, true},
};

}  // namespace

TEST(CommandStatus, EveryQueueStateGivesItsCommands) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const CommandStatus status = computeCommandStatus(c.queue);
        EXPECT_EQ(status.start, c.start);
        EXPECT_EQ(status.stop, c.stop);
        EXPECT_EQ(status.del, c.del);
    }
}
