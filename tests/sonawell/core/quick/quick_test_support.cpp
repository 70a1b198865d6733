#include "quick_test_support.h"

#include "core/engine/app_state.h"
#include "core/settings/app_settings.h"
#include "support/audio_fixtures.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace quicktest {

void UseQuickSettings(bool autoStart, bool sameTargetDir, const QString& targetDir) {
    appSettings.generalProfile = kProfile;
    appSettings.quickProfile = kProfile;
    appSettings.autoStart = autoStart;
    appSettings.sameTargetDir = sameTargetDir;
    appSettings.targetDir = targetDir;
    appSettings.overwriteExist = true;
    appSettings.deleteSource = false;
    appSettings.wmaToFlac = false;
    appSettings.keepFolders = true;
    appSettings.skipConverted = false;
}

Engine::Engine() {
    // The decoder and the tag writer are loaded from the program folder.
    setProgramFolder(testsupport::BinDir());
}

Engine::~Engine() {
    mainWindowReady = false;
    // A run still going when a test gives up must end before the encoder goes.
    if (encoder.runState() != sw::enc::RunState::Stopped) {
        driver.stop();
        WaitUntil([this] { return encoder.runState() == sw::enc::RunState::Stopped; });
    }
}

QStringList Engine::sources() const {
    QStringList list;
    for (int row = 1; row <= jobs.count(); ++row) {
        list << jobs.at(row).source;
    }
    return list;
}

bool Engine::queueDone() const {
    return !driver.isConverting() && !driver.isBusy() && driver.currentJob() > jobs.count();
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

}  // namespace quicktest
