#include "cli/job_slots.h"

#include "cli/batch_plan.h"

#include <sched.h>

#include <string_view>

namespace {

// A minute of CD audio as PCM, and of MPEG audio at 160 kbps: a common rate, so that most
// songs of a few minutes count as long and clips under a minute as short.
constexpr int64_t kLongPcmBytes = 60 * 44100 * 4;
constexpr int64_t kLongMpegBytes = 60 * 160000 / 8;

}  // namespace

int usableCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) {
        return 1;
    }
    return std::max(1, CPU_COUNT(&set));
}

bool spreadsOverCores(const PlannedJob& job) {
    if (job.becomes != sw::formats::Output::Wma || job.format == nullptr) {
        return false;
    }
    const bool pcm = job.format->name == std::string_view("WAVE");
    return job.sourceBytes >= (pcm ? kLongPcmBytes : kLongMpegBytes);
}
