#include "gui/startup.h"

#include "core/automation/session_service_file.h"
#include "core/engine/app_state.h"
#include "core/engine/pending_jobs.h"
#include "core/engine/quick_convert_engine.h"
#include "core/settings/app_settings.h"
#include "encoder/encoder.h"
#include "gui/dialogs/profile_dialog.h"
#include "gui/main_window.h"
#include "gui/splash_screen.h"

#include <QApplication>
#include <QMessageBox>

#include <memory>

int runApplication(QApplication& app, const QStringList& files) {
    mainWindowReady = false;
    appSettings.iniPath = settingsPathFor(programFolder());
    loadSettings();

    // Files handed in from here on wait in the pending list until the main window is ready.
    PendingJobs pending;
    for (const QString& file : files) {
        pending.add(file);
    }
    QuickConvertEngine automation(pending);
    if (automation.registerOnSessionBus()) {
        updateSessionServiceFile(app.applicationFilePath());
    }

    SplashScreen splash;
    splash.show();
    splash.repaint();

    std::unique_ptr<sw::enc::Encoder> objEncoder;
    try {
        objEncoder = std::make_unique<sw::enc::Encoder>();
    } catch (const sw::Error& error) {
        splash.close();
        QMessageBox::warning(nullptr, QStringLiteral("Sonawell"), error.description());
        return 1;
    }

    if (appSettings.generalProfile.isEmpty() || appSettings.quickProfile.isEmpty()) {
        ProfileDialog profiles(objEncoder->profiles());
        profiles.exec();
        if (!profiles.okPressed) {
            objEncoder.reset();
            splash.close();
            return 0;
        }
    }

    MainWindow mainWindow(*objEncoder, pending);
    mainWindow.show();
    QCoreApplication::processEvents();
    splash.close();
    // Closed while start-up let events run: the window has unloaded and the quit it asked for
    // came before the event loop, which would then wait with no window open.
    if (!mainWindow.isVisible()) {
        return 0;
    }
    return app.exec();
}
