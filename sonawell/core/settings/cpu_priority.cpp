#include "core/settings/cpu_priority.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

// Why low is not always SCHED_IDLE: the kernel lets a thread leave SCHED_IDLE, or lower its
// nice value, only with CAP_SYS_NICE or an RLIMIT_NICE that allows nice 0 (soft limit of 20
// or more). Without either, a user who picked low could never get back to normal. Low then
// uses SCHED_BATCH at the current nice: a background hint that SCHED_OTHER undoes freely.
// High asks for nice -10, or the lowest nice RLIMIT_NICE allows, and never above 0.

namespace {

constexpr int kCapSysNice = 23;
constexpr int kHighNice = -10;

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Reads CapEff from /proc/self/status with plain system calls.
bool HasCapSysNice() {
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char buffer[8192];
    size_t used = 0;
    ssize_t got = 0;
    while (used < sizeof buffer - 1 &&
           (got = ::read(fd, buffer + used, sizeof buffer - 1 - used)) > 0) {
        used += static_cast<size_t>(got);
    }
    ::close(fd);
    buffer[used] = '\0';
    const char* line = std::strstr(buffer, "\nCapEff:");
    if (line == nullptr) {
        return false;
    }
    const unsigned long long caps = std::strtoull(line + 8, nullptr, 16);
    return (caps >> kCapSysNice) & 1U;
}

// The lowest nice value this process may set: 20 - RLIMIT_NICE soft limit, or -20 with
// CAP_SYS_NICE.
int LowestPermittedNice() {
    if (HasCapSysNice()) {
        return -20;
    }
    rlimit limit{};
    if (::getrlimit(RLIMIT_NICE, &limit) != 0) {
        return 20;
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= 40) {
        return -20;
    }
    return 20 - static_cast<int>(limit.rlim_cur);
}

void ApplyToThread(pid_t tid, int32_t level, int lowestNice) {
    const sched_param param{};
    switch (level) {
        case 0:
            if (lowestNice <= 0) {
                ::sched_setscheduler(tid, SCHED_IDLE, &param);
            } else {
                ::sched_setscheduler(tid, SCHED_BATCH, &param);
            }
            break;
        case 1:
            ::sched_setscheduler(tid, SCHED_OTHER, &param);
            ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), 0);
            break;
        case 2:
            ::sched_setscheduler(tid, SCHED_OTHER, &param);
            ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid),
                          std::min(0, std::max(kHighNice, lowestNice)));
            break;
        default:
            break;
    }
}

// Thread ids of the process now, or only the calling thread when /proc is not there.
std::set<pid_t> ProcessThreads() {
    std::set<pid_t> tids;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir("/proc/self/task"));
    if (!dir) {
        tids.insert(static_cast<pid_t>(::syscall(SYS_gettid)));
        return tids;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        char* end = nullptr;
        const long tid = std::strtol(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0' && tid > 0) {
            tids.insert(static_cast<pid_t>(tid));
        }
    }
    return tids;
}

}  // namespace

void SetCPUPriority(int32_t level) {
    if (level < 0 || level > 2) {
        return;
    }
    const int lowestNice = LowestPermittedNice();
    // A thread started by one not yet changed inherits the old setting; a second look catches
    // it. Results are not checked: a thread may end while we work.
    std::set<pid_t> done;
    for (int round = 0; round < 3; ++round) {
        bool anyNew = false;
        for (const pid_t tid : ProcessThreads()) {
            if (done.insert(tid).second) {
                anyNew = true;
                ApplyToThread(tid, level, lowestNice);
            }
        }
        if (!anyNew) {
            break;
        }
    }
}
