#pragma once

#include <QString>

namespace sw::enc {

// The CPU priority of a run's conversion threads; the numbers are the stored setting's.
enum class CpuPriority : int { Low = 0, Normal = 1, High = 2 };

// Gives the calling thread `level` and returns the level it got. Low is SCHED_IDLE, which any
// thread may take for itself. Normal is SCHED_OTHER at nice 0 (or the nearest nice permitted).
// High asks RealtimeKit on the system bus to raise the thread, else sets a negative nice where
// this process may; failing both the thread runs at Normal.
CpuPriority ApplyToCurrentThread(CpuPriority level);

// Whether High takes effect on this system, found by raising a short-lived thread.
bool HighPriorityAvailable();

// A sentence for the user when a run's threads got less than they asked for, else empty.
QString PriorityNote(CpuPriority requested, CpuPriority applied);

}  // namespace sw::enc
