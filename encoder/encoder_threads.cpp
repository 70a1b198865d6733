#include "encoder/encoder_threads.h"

#include <QtGlobal>

#include <sched.h>

#include <algorithm>
#include <thread>

namespace sw::enc {

int EncoderThreadCount() {
    bool ok = false;
    const int forced = qEnvironmentVariableIntValue("SONAWELL_ENCODER_THREADS", &ok);
    if (ok && forced > 0)
        return std::min(forced, 256);
    // hardware_concurrency() counts the machine's cores, not those a taskset left us.
    int cores = static_cast<int>(std::thread::hardware_concurrency());
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        cores = cores > 0 ? std::min(cores, CPU_COUNT(&allowed)) : CPU_COUNT(&allowed);
    return std::max(1, cores);
}

}  // namespace sw::enc
