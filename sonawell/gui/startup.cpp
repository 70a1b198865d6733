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
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

#include <memory>
#include <optional>

// Resources of a static library must be registered by name, outside any namespace.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

int runApplication(QApplication& app, const QStringList& files) {
    initIconResources();
    mainWindowReady = false;
    // Every window, dialogs and message boxes too, carries the program's picture.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/sonawell.svg")));
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

    // Destroyed once done with, not only closed: assistive technology lists every top-level
    // window the program still has, hidden or not.
    std::optional<SplashScreen> splash(std::in_place);
    splash->show();
    splash->repaint();

    std::unique_ptr<sw::enc::Encoder> objEncoder;
    try {
        objEncoder = std::make_unique<sw::enc::Encoder>();
    } catch (const sw::Error& error) {
        splash.reset();
        QMessageBox::warning(nullptr, QStringLiteral("Sonawell"), error.text());
        return 1;
    }

    if (appSettings.generalProfile.isEmpty() || appSettings.quickProfile.isEmpty()) {
        ProfileDialog profiles(objEncoder->profiles());
        // Both are centred on the screen: at least as large as the splash, the dialog hides
        // it whole instead of letting its edge show above the title bar.
        profiles.setFixedSize(profiles.size().expandedTo(splash->size() + QSize(0, 8)));
        profiles.exec();
        if (!profiles.okPressed) {
            objEncoder.reset();
            splash.reset();
            return 0;
        }
    }

    MainWindow mainWindow(*objEncoder, pending);
    mainWindow.show();
    // The splash goes once the event loop has the window on screen in its place.
    QTimer::singleShot(0, &mainWindow, [&splash] { splash.reset(); });
    return app.exec();
}
