#include "engine_rig.h"

#include "core/settings/app_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

extern "C" {
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

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

int main(int argc, char** argv) {
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
