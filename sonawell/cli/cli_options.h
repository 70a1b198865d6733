#pragma once

#include "common/audio_formats.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What to do with an output name that is already there before the batch starts.
enum class IfExists { Ask, Replace, Skip, Rename };

// The command's options; what is not given comes from Sonawell.ini, as the window reads it.
struct CliOptions {
    QString profile;
    QByteArray outputDir;
    std::optional<bool> keepFolders;
    // What a WMA source becomes.
    std::optional<sw::formats::Output> wmaTo;
    std::optional<IfExists> ifExists;
    std::optional<bool> deleteSource;
    int jobs = 0;  // 0: chosen per job (job_slots.h)
    bool dryRun = false;
    bool json = false;
    bool quiet = false;
    // Files and folders as given; "-" reads NUL-separated names from standard input.
    QList<QByteArray> sources;
};

struct CommandLine {
    enum class Action { Run, Help, Version, BadUsage };
    Action action = Action::Run;
    CliOptions options;
    QString error;  // for BadUsage
};

// GNU style: long options with "=" or a space, "--" ends them. Names stay bytes.
CommandLine parseCommandLine(const QList<QByteArray>& arguments);
QString helpText();
