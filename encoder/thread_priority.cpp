#include "encoder/thread_priority.h"

#include "encoder/realtime_kit.h"

#include <QCoreApplication>

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

namespace sw::enc {

namespace {

// As audio servers ask for; within RealtimeKit's default limit of -15.
constexpr int kHighNice = -10;

pid_t CurrentThreadId() {
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

bool SetNice(pid_t tid, int nice) {
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) == 0;
}

}  // namespace

CpuPriority ApplyToCurrentThread(CpuPriority level) {
    const pid_t tid = CurrentThreadId();
    const sched_param param{};
    if (level == CpuPriority::Low && ::sched_setscheduler(tid, SCHED_IDLE, &param) == 0)
        return CpuPriority::Low;
    ::sched_setscheduler(tid, SCHED_OTHER, &param);
    if (level == CpuPriority::High &&
        (MakeThreadHighPriority(tid, kHighNice) || SetNice(tid, kHighNice)))
        return CpuPriority::High;
    // A thread started at a higher nice may not come down to 0 without privilege; it keeps
    // the value it has then.
    SetNice(tid, 0);
    return CpuPriority::Normal;
}

bool HighPriorityAvailable() {
    CpuPriority got = CpuPriority::Normal;
    std::thread probe([&got] { got = ApplyToCurrentThread(CpuPriority::High); });
    probe.join();
    return got == CpuPriority::High;
}

QString PriorityNote(CpuPriority requested, CpuPriority applied) {
    if (requested != CpuPriority::High || applied == CpuPriority::High)
        return {};
    return QCoreApplication::translate(
        "Encoder",
        "High priority is not available on this system (no RealtimeKit service raised the "
        "conversion and this user may not lower its nice value); it runs at normal priority.");
}

}  // namespace sw::enc
