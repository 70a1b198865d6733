#pragma once

#include <sys/types.h>

namespace sw::enc {

// Asks the desktop's RealtimeKit service on the system bus to give thread `tid` of this process
// the nice value `nice`. False when there is no system bus, no RealtimeKit on it, or it refused.
bool MakeThreadHighPriority(pid_t tid, int nice);

}  // namespace sw::enc
