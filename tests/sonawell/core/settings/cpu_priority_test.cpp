#include "core/settings/cpu_priority.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

pid_t CurrentTid() {
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

std::vector<pid_t> ProcessTids() {
    std::vector<pid_t> tids;
    DIR* dir = ::opendir("/proc/self/task");
    if (dir == nullptr) {
        return tids;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const int tid = std::atoi(entry->d_name);
        if (tid > 0) {
            tids.push_back(tid);
        }
    }
    ::closedir(dir);
    return tids;
}

int NiceOf(pid_t tid) {
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    return errno == 0 ? nice : 999;
}

bool MayRaisePriority() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("CapEff:", 0) == 0) {
            return (std::stoull(line.substr(7), nullptr, 16) >> 23) & 1U;
        }
    }
    return false;
}

// Threads that sit idle until the test ends, so their scheduling can be inspected.
class IdleThreads {
public:
    explicit IdleThreads(int count) {
        const std::shared_future<void> release = release_.get_future().share();
        for (int i = 0; i < count; ++i) {
            std::promise<pid_t> started;
            std::future<pid_t> tid = started.get_future();
            threads_.emplace_back([release, promise = std::move(started)]() mutable {
                promise.set_value(CurrentTid());
                release.wait();
            });
            tids_.push_back(tid.get());
        }
    }
    ~IdleThreads() {
        release_.set_value();
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }
    const std::vector<pid_t>& tids() const { return tids_; }

private:
    std::promise<void> release_;
    std::vector<std::thread> threads_;
    std::vector<pid_t> tids_;
};

class CpuPriorityTest : public ::testing::Test {
protected:
    void TearDown() override { SetCPUPriority(1); }
};

TEST_F(CpuPriorityTest, LevelsApplyToEveryThreadAndOthersChangeNothing) {
    const IdleThreads threads(2);
    const bool privileged = MayRaisePriority();
    const std::vector<pid_t> all = ProcessTids();
    ASSERT_GE(all.size(), 3U);
    for (const pid_t tid : threads.tids()) {
        EXPECT_NE(std::find(all.begin(), all.end(), tid), all.end());
    }

    SetCPUPriority(0);
    const int lowPolicy = privileged ? SCHED_IDLE : SCHED_BATCH;
    for (const pid_t tid : ProcessTids()) {
        EXPECT_EQ(::sched_getscheduler(tid), lowPolicy) << "thread " << tid;
    }
    // A thread started now inherits the level.
    {
        const IdleThreads later(1);
        EXPECT_EQ(::sched_getscheduler(later.tids().front()), lowPolicy);
    }

    SetCPUPriority(1);
    for (const pid_t tid : ProcessTids()) {
        EXPECT_EQ(::sched_getscheduler(tid), SCHED_OTHER) << "thread " << tid;
        EXPECT_EQ(NiceOf(tid), 0) << "thread " << tid;
    }

    SetCPUPriority(2);
    for (const pid_t tid : ProcessTids()) {
        EXPECT_EQ(::sched_getscheduler(tid), SCHED_OTHER) << "thread " << tid;
        if (privileged) {
            EXPECT_LT(NiceOf(tid), 0) << "thread " << tid;
        } else {
            EXPECT_EQ(NiceOf(tid), 0) << "thread " << tid;
        }
    }
    const int highNice = NiceOf(CurrentTid());

    for (const int32_t level : {7, -1, 3}) {
        SetCPUPriority(level);
        for (const pid_t tid : ProcessTids()) {
            EXPECT_EQ(::sched_getscheduler(tid), SCHED_OTHER) << "level " << level;
            EXPECT_EQ(NiceOf(tid), highNice) << "level " << level;
        }
    }
    SetCPUPriority(0);
    SetCPUPriority(-1);
    EXPECT_EQ(::sched_getscheduler(CurrentTid()), lowPolicy);
}

// A user without CAP_SYS_NICE and with the default RLIMIT_NICE of 0 must get from low back
// to normal. Runs as "nobody" in a child process.
TEST_F(CpuPriorityTest, UnprivilegedUserReturnsFromLowToNormal) {
    SetCPUPriority(1);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit noNice{0, 0};
        if (::setrlimit(RLIMIT_NICE, &noNice) != 0) {
            ::_exit(3);
        }
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(3);
        }
        if (MayRaisePriority()) {
            ::_exit(3);
        }
        const pid_t self = CurrentTid();
        SetCPUPriority(0);
        if (::sched_getscheduler(self) != SCHED_BATCH) {
            ::_exit(11);
        }
        SetCPUPriority(1);
        if (::sched_getscheduler(self) != SCHED_OTHER || NiceOf(self) != 0) {
            ::_exit(12);
        }
        SetCPUPriority(2);
        if (::sched_getscheduler(self) != SCHED_OTHER || NiceOf(self) != 0) {
            ::_exit(13);
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) {
        GTEST_SKIP() << "cannot drop to an unprivileged user here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "11: low not a background policy, 12: stuck below normal, 13: high failed";
}

}  // namespace
