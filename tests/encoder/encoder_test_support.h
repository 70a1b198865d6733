#pragma once

#include "encoder/encoder.h"
#include "support/audio_fixtures.h"
#include "support/file_fixtures.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace enctest {

// Profile indexes in the encoder's collection.
inline constexpr int kVoiceProfile = 0;
inline constexpr int kCdProfile = 3;

using States = std::vector<sw::enc::RunState>;
inline const States kCompleted{sw::enc::RunState::Starting, sw::enc::RunState::Running,
                               sw::enc::RunState::Stopped};

// A request for the profile of the given index.
sw::enc::EncodeRequest Request(const QString& source, const QString& output,
                               int profileIndex = kCdProfile);

// The states signalled until (and including) Stopped; gives up after five minutes so a broken
// run fails the test instead of hanging it.
States WaitForEnd(sw::enc::Encoder& encoder);

// Starts and waits; returns the signalled states.
States Encode(sw::enc::Encoder& encoder, const QString& source, const QString& output,
              int profileIndex = kCdProfile);

// The code start() raised for the request, or None when the run started (it is stopped and
// waited for then).
sw::ErrorCode StartError(sw::enc::Encoder& encoder, const sw::enc::EncodeRequest& request);

using testsupport::FolderEntries;
using testsupport::ReadAll;
using testsupport::WriteAll;

struct StreamFormat {
    int sampleRate = 0;
    int channels = 0;
};
StreamFormat ProbeStreamFormat(const QString& path);

// The file's packets as `ffmpeg -c copy -f framemd5` lists them: stream parameters, then each
// packet's timestamps, duration, size and MD5. Empty when the tool fails.
QByteArray PacketList(const QString& path);

// The nice value and scheduling policy of this process's threads, read from /proc: the lowest
// nice value among them, and whether any runs under a policy other than SCHED_OTHER.
struct ThreadSchedule {
    int nice = 20;
    bool otherPolicy = false;
};
ThreadSchedule LowestThreadSchedule();

using testsupport::MakeNoisyWav;

// Length in samples of 2048 at 22.05 kHz, the widest gap a decoded WMA may show, plus slack for
// the container's own rounding.
inline constexpr double kDurationTolerance = 2048.0 / 22050 + 0.05;

}  // namespace enctest
