#pragma once

#include <cstdint>

// Levels: 0 low (SCHED_IDLE, or SCHED_BATCH where the process could not return from
// SCHED_IDLE without privilege), 1 normal (SCHED_OTHER, nice 0), 2 high (nice -10 where
// permitted, else as low as RLIMIT_NICE allows, at most 0). Applies to every thread of the
// process; threads started later inherit it. Other levels change nothing.
void SetCPUPriority(int32_t level);
