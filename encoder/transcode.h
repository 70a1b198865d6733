#pragma once

#include "encoder/encoder.h"
#include "encoder/thread_priority.h"

#include <QString>

#include <atomic>

namespace sw::enc {

struct TranscodeJob {
    QString input;
    const char* demuxer = nullptr;
    QString output;  // the file written; the caller renames it into place
    Profile::AudioSettings audio;
    // Encoder workers for the parallel path; below 2 the run encodes serially.
    int encoderThreads = 1;
    CpuPriority priority = CpuPriority::Normal;  // for the calling thread and the encoding threads
};

struct TranscodeResult {
    RunOutcome outcome = RunOutcome::Failed;
    Error error;     // why, when the outcome is Failed
    int chunks = 0;  // chunks encoded in parallel; 0 when the run took the serial path
    CpuPriority priority = CpuPriority::Normal;  // the lowest level one of the run's threads got
    // For a completed run of a source cut short, SourceDamaged: "source damaged: 36 of 60 s".
    Error damage;
};

// Decodes the job's input, resamples it to the profile's rate and channels and writes it as WMA
// v2 in ASF to `job.output`. Checks `cancel` between packets and keeps `percent` (0..100, the
// share of the source's duration whose packets are written) up to date. Decodes on the calling
// thread; the encoding runs on threads of its own.
TranscodeResult Transcode(const TranscodeJob& job, const std::atomic<bool>& cancel,
                          std::atomic<int>& percent);

}  // namespace sw::enc
