#pragma once

#include <cstdint>

// Levels: 0 low (SCHED_IDLE), 1 normal (SCHED_OTHER, nice 0), 2 high (negative nice where
// permitted). Applies to every thread of the process; other levels change nothing.
void SetCPUPriority(int32_t level);
