#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <optional>

// The profile name that asks for a WMA source to be decoded to a WAVE file.
inline const QString kWaveProfile = QLatin1String(QT_TRANSLATE_NOOP("Profile", "WMA to WAV"));
// The profile name that asks for a WMA source to be decoded to a lossless FLAC file.
inline const QString kFlacProfile = QLatin1String(QT_TRANSLATE_NOOP("Profile", "WMA to FLAC"));

enum class JobState { Waiting, Converting, Done, DoneDamaged, Failed, Stopped, Skipped };

// One conversion the user asked for, and how far it has come.
struct Job {
    QString source;
    QString output;
    QString profile;
    // Bytes of a readable regular file: the source's as it was added, the output's once the
    // job has ended. None where there was no such file (or the job has not ended).
    std::optional<int64_t> sourceSize;
    std::optional<int64_t> outputSize;
    JobState state = JobState::Waiting;
    // Why the job failed or was skipped, or what was wrong with a damaged source, for the user.
    QString failureReason;
    // The run's progress as the encoder words it ("37%"); shown until the job ends.
    QString progress = QStringLiteral("0%");
};

// The reason of a job skipped because its output is newer than its source.
QString alreadyConvertedText();

// "Status" as the job list shows it: the progress, "100%", "Done, source damaged: 36 of 60 s",
// "Stopped (34%)", "Skipped", "Skipped: already converted", or "Failed: " and the first line of the
// reason, shortened.
QString statusText(const Job& job);
// The whole reason of a failed, skipped or damaged job; empty otherwise.
QString statusToolTip(const Job& job);
