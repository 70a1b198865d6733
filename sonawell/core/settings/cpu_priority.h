#pragma once

#include "encoder/thread_priority.h"

#include <cstdint>

// The stored CPU priority (0 low, 1 normal, 2 high) as the level of the encoder's conversion
// threads, which take it as each run starts; other values are normal. The UI thread and the
// rest of the program keep normal priority. Whether high takes effect on this system:
// sw::enc::HighPriorityAvailable(); what a run got: Encoder::lastPriorityNote().
sw::enc::CpuPriority ConversionPriority(int32_t level);
