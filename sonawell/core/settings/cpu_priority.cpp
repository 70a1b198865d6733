#include "core/settings/cpu_priority.h"

sw::enc::CpuPriority ConversionPriority(int32_t level) {
    switch (level) {
        case 0:
            return sw::enc::CpuPriority::Low;
        case 2:
            return sw::enc::CpuPriority::High;
        default:
            return sw::enc::CpuPriority::Normal;
    }
}
