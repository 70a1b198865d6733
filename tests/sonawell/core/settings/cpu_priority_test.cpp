#include "core/settings/cpu_priority.h"

#include <gtest/gtest.h>

using sw::enc::CpuPriority;

// The stored levels name the conversion threads' priority; a level the program never writes
// means normal. What each level does to the threads is the encoder's (its priority tests).
TEST(CpuPriority, StoredLevelsNameTheConversionThreadsPriority) {
    const struct {
        int32_t stored;
        CpuPriority level;
    } rows[] = {{0, CpuPriority::Low},    {1, CpuPriority::Normal},  {2, CpuPriority::High},
                {3, CpuPriority::Normal}, {-1, CpuPriority::Normal}, {7, CpuPriority::Normal}};
    for (const auto& row : rows)
        EXPECT_EQ(ConversionPriority(row.stored), row.level) << "stored " << row.stored;
}
