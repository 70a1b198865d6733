#pragma once

#include "encoder/encoder.h"

#include <QString>

#include <atomic>

namespace sw::enc {

struct TranscodeJob {
    QString input;
    const char* demuxer = nullptr;
    QString output;  // the file written; the caller renames it into place
    Profile::AudioSettings audio;
};

struct TranscodeResult {
    RunOutcome outcome = RunOutcome::Failed;
    QString error;  // a sentence for the user when the outcome is Failed
};

// Decodes the job's input, resamples it to the profile's rate and channels and writes it as WMA
// v2 in ASF to `job.output`. Checks `cancel` between packets and keeps `percent` (0..100, the
// share of the source's duration encoded) up to date. Runs on the calling thread.
TranscodeResult Transcode(const TranscodeJob& job, const std::atomic<bool>& cancel,
                          std::atomic<int>& percent);

}  // namespace sw::enc
