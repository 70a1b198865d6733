#include "support/build_fixtures.h"

#include "support/audio_fixtures.h"

#include <QDir>

namespace testsupport {

const std::vector<BuildFixture>& BuildFixtures() {
    static const std::vector<BuildFixture> fixtures{
        {kNoisyWav300s, [](const QString& path) { return MakeNoisyWav(path, 300, 44100); }},
        {kMp3300sMono, [](const QString& path) { return MakeMp3(path, 300, 22050, 1); }},
    };
    return fixtures;
}

QString FixturePath(const char* name) {
    return QDir(qEnvironmentVariable("SONAWELL_FIXTURE_DIR")).filePath(QLatin1String(name));
}

}  // namespace testsupport
