#pragma once

// Audio that takes long to make, made once per build by the test-fixtures target rather than
// by each test under a time limit: on a busy machine the ffmpeg tool may take minutes for it.
// Tests only read them; each is named for what it holds.

#include <QString>

#include <functional>
#include <vector>

namespace testsupport {

// MakeNoisyWav of 300 s at 44.1 kHz: long enough that a run can be caught with every encoder
// thread busy.
inline constexpr char kNoisyWav300s[] = "noisy-300s-44100-stereo.wav";
// MakeMp3 of 300 s at 22.05 kHz, mono.
inline constexpr char kMp3300sMono[] = "tone-300s-22050-mono.mp3";

struct BuildFixture {
    const char* name;
    std::function<bool(const QString& path)> make;
};
// Every fixture, for make-test-fixtures.
const std::vector<BuildFixture>& BuildFixtures();

// Where a fixture is, in the build's fixture folder (SONAWELL_FIXTURE_DIR).
QString FixturePath(const char* name);

}  // namespace testsupport
