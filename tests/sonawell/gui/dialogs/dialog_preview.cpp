// Opens one of the program's dialogs with sample data and leaves it up, for screenshots.
// The test machine has no window manager, so a strip above each window shows its caption
// the way a title bar would.
#include "core/engine/pending_jobs.h"
#include "core/settings/app_settings.h"
#include "core/settings/ini_file.h"
#include "encoder/encoder.h"
#include "gui/about_dialog.h"
#include "gui/dialogs/add_job_dialog.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/dialogs/profile_dialog.h"
#include "gui/help.h"
#include "gui/main_window.h"
#include "gui/splash_screen.h"
#include "gui/translations.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// A caption strip just above the window, following it when it moves.
void AddCaption(QWidget* window) {
    auto* caption = new QLabel(window->windowTitle());
    caption->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    caption->setStyleSheet(
        QStringLiteral("background:#2f3b48; color:white; font-weight:bold; padding:3px 8px;"));
    QObject::connect(window, &QObject::destroyed, caption, &QObject::deleteLater);
    auto place = [window, caption] {
        caption->setFixedWidth(window->frameGeometry().width());
        caption->adjustSize();
        caption->move(window->frameGeometry().left(),
                      window->frameGeometry().top() - caption->height());
        caption->show();
        caption->raise();
    };
    QTimer::singleShot(200, window, place);
}

void ShowWithCaption(QWidget* window) {
    // Leave room for the caption strip when the window sits at the top of the screen.
    if (window->y() < 30) {
        window->move(window->x(), 30);
    }
    window->show();
    AddCaption(window);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (argc > 2) {
        setProgramFolder(QString::fromLocal8Bit(argv[2]));
    }
    installTranslations(app);
    // SONAWELL_PREVIEW_POINTS=16 shows the windows at a large font.
    if (const int points = qEnvironmentVariableIntValue("SONAWELL_PREVIEW_POINTS"); points > 0) {
        QFont font = QApplication::font();
        font.setPointSize(points);
        QApplication::setFont(font);
    }

    QTemporaryDir settingsFolder;
    // Nothing of a real session's job list is read or written.
    qputenv("XDG_STATE_HOME", QFile::encodeName(settingsFolder.path()));
    appSettings = AppSettingsRecord{};
    appSettings.iniPath = settingsFolder.filePath(QStringLiteral("Sonawell.ini"));
    appSettings.generalProfile =
        QStringLiteral("Audio for archive quality (192 Kbps, 48 kHz, stereo)");
    appSettings.quickProfile =
        QStringLiteral("Audio for FM radio quality (64 Kbps, 44 kHz, stereo)");
    appSettings.cpuPriority = 1;
    appSettings.sameTargetDir = false;
    appSettings.targetDir = QDir::homePath();
    writeIniValue(appSettings.iniPath, QStringLiteral("General"), QStringLiteral("Profile"),
                  appSettings.generalProfile);
    const sw::enc::ProfileCollection profiles;

    // A stand-in for the main window, so dialogs have an owner to centre on.
    QMainWindow owner;
    owner.setWindowTitle(QStringLiteral("Sonawell Convertor"));
    owner.setGeometry(140, 100, 1000, 800);
    owner.setStyleSheet(QStringLiteral("QMainWindow { background: #d8dde3; }"));

    std::unique_ptr<QWidget> shown;
    sw::enc::Encoder encoder;
    PendingJobs pending;
    if (name == QLatin1String("main")) {
        auto window = std::make_unique<MainWindow>(encoder, pending);
        const QString music = QDir::homePath() + QStringLiteral("/Music/");
        for (const char* song : {"Live at the harbour", "Morning tune", "Interview"}) {
            const QString base = music + QLatin1String(song);
            window->jobs().add(base + QStringLiteral(".mp3"), base + QStringLiteral(".wma"),
                               appSettings.generalProfile);
        }
        window->jobs().setState(1, JobState::Done);
        window->jobs().setState(2, JobState::Failed, QStringLiteral("file not found"));
        shown = std::move(window);
    } else if (name == QLatin1String("profiles")) {
        shown = std::make_unique<ProfileDialog>(profiles);
    } else if (name == QLatin1String("addjob")) {
        owner.show();
        auto dialog = std::make_unique<AddJobDialog>(profiles, &owner);
        dialog->chooseSources = [] {
            return QStringList{QStringLiteral("/home/user/Music/Live at the harbour.wma"),
                               QStringLiteral("/home/user/Music/Morning tune.mp3"),
                               QStringLiteral("/home/user/Music/Interview.wav")};
        };
        QTimer::singleShot(0, dialog.get(), [d = dialog.get()] {
            d->browseSourceButton()->click();
            d->sourceList()->setCurrentRow(1);
        });
        shown = std::move(dialog);
    } else if (name.startsWith(QLatin1String("options-"))) {
        // options-general, options-quick, options-quick-same (outputs beside the sources).
        appSettings.sameTargetDir = name == QLatin1String("options-quick-same");
        owner.show();
        auto dialog = std::make_unique<OptionsDialog>(profiles, &owner);
        if (name.startsWith(QLatin1String("options-quick"))) {
            dialog->tabStrip()->setCurrentIndex(1);
        }
        shown = std::move(dialog);
    } else if (name == QLatin1String("splash")) {
        shown = std::make_unique<SplashScreen>();
        shown->show();
        return app.exec();
    } else if (name == QLatin1String("about")) {
        owner.show();
        shown = std::make_unique<AboutDialog>(&owner);
    } else if (name == QLatin1String("help-contents") || name == QLatin1String("help-index")) {
        owner.show();
        if (name == QLatin1String("help-contents")) {
            showHelpContents(&owner);
        } else {
            showHelpIndex(&owner);
        }
        QTimer::singleShot(0, &owner, [&owner] {
            for (QWidget* w : owner.findChildren<QWidget*>()) {
                if (w->isWindow() && w->isVisible()) {
                    w->move(owner.x() + 80, owner.y() + 60);
                    AddCaption(w);
                }
            }
        });
        return app.exec();
    } else {
        QTextStream(stderr)
            << "usage: dialog_preview main|profiles|addjob|options-general|"
               "options-quick|options-quick-same|splash|about|help-contents|help-index "
               "[program folder]\n";
        return 2;
    }
    ShowWithCaption(shown.get());
    return app.exec();
}
