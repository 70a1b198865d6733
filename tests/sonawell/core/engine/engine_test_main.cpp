#include "engine_rig.h"

#include "core/engine/conversion_runner.h"
#include "core/settings/app_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

extern "C" {
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <map>
#include <string>
#include <thread>

namespace {
QString& Root() {
    static QString root;
    return root;
}
}  // namespace

namespace enginetest {
QString WorkRoot() {
    return Root() + QStringLiteral("/work");
}
QString TempFolder() {
    return Root() + QStringLiteral("/tmp");
}
}  // namespace enginetest

namespace {

// Kills this process the moment a second descriptor is open on one unnamed file: the tag
// writer has reopened the finished output, which has no name yet.
[[noreturn]] void KillOnceTheOutputIsReopened() {
    for (;;) {
        std::map<std::string, int> open;
        if (DIR* fds = ::opendir("/proc/self/fd")) {
            while (const dirent* entry = ::readdir(fds)) {
                char target[4096];
                const std::string link = std::string("/proc/self/fd/") + entry->d_name;
                const ssize_t n = ::readlink(link.c_str(), target, sizeof target);
                const std::string name(target, n > 0 ? static_cast<size_t>(n) : 0);
                if (name.size() > 10 && name.ends_with(" (deleted)") && ++open[name] >= 2) {
                    ::raise(SIGKILL);
                }
            }
            ::closedir(fds);
        }
    }
}

// --kill-in-tag-write SOURCE OUTPUT PROFILE: converts through the engine and is killed inside
// the tag write; 3 when it got past it.
int KillInTagWrite(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    sw::enc::Encoder encoder;
    ConversionRunner runner(encoder);
    QObject::connect(&runner, &ConversionRunner::finished, &app, [&] { app.exit(3); });
    std::thread(KillOnceTheOutputIsReopened).detach();
    if (!runner
             .start({QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                     QString::fromLocal8Bit(argv[4])})
             .isEmpty()) {
        return 4;
    }
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && qstrcmp(argv[1], "--kill-in-tag-write") == 0) {
        return KillInTagWrite(argc, argv);
    }
    testing::InitGoogleTest(&argc, argv);
    // Made before TMPDIR moves, in the temporary folder this program was given.
    const QTemporaryDir root;
    if (!root.isValid()) {
        return 2;
    }
    Root() = root.path();
    QDir().mkpath(enginetest::WorkRoot());
    QDir().mkpath(enginetest::TempFolder());
    // A folder of its own, so files the engine leaves in the temporary folder can be counted.
    qputenv("TMPDIR", QFile::encodeName(enginetest::TempFolder()));
    // Qt would otherwise make its runtime folder in that temporary folder.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = root.path() + QStringLiteral("/runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
    QCoreApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    // The libraries the engine loads by name come from the build's program folder.
    setProgramFolder(testsupport::BinDir());
    return RUN_ALL_TESTS();
}
