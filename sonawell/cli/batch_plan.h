#pragma once

#include "cli/cli_options.h"
#include "cli/source_list.h"
#include "common/audio_formats.h"
#include "core/jobs/job.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

class UserPrompt;

// One source of the batch and what becomes of it.
struct PlannedJob {
    int index = 0;  // 1-based, in the order the sources came
    QByteArray source;
    QByteArray output;  // empty for a source that is not converted at all
    QString profile;
    const sw::formats::SourceFormat* format = nullptr;
    sw::formats::Output becomes = sw::formats::Output::Wma;
    int64_t sourceBytes = 0;
    // Waiting until it runs; Failed or Skipped when the plan already knows it won't.
    JobState state = JobState::Waiting;
    QString reason;
};

struct PlanSettings {
    QString wmaProfile;
    QByteArray outputDir;
    bool keepFolders = true;
    sw::formats::Output wmaTo = sw::formats::Output::Wave;
    IfExists ifExists = IfExists::Replace;
};

// Names every output before anything runs: what the table of formats makes of each source,
// in the folder it goes to; an output that another job of the batch already writes gets the
// next free name ("song (2).wma"), as in the window's list. An output that is already there is
// replaced, skipped, renamed or asked about (through `prompt`, for Ask; without one, as if
// the answer were yes) as the settings say.
// Files found in a folder that the table does not take are left out; named ones fail.
std::vector<PlannedJob> planBatch(const std::vector<SourceEntry>& entries,
                                  const PlanSettings& settings, UserPrompt* prompt);
