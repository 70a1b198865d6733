#include "gui/help.h"

#include "core/settings/app_settings.h"
#include "gui/help_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QMessageBox>

namespace {

// The pages in the user's language where they are shipped (help/de/), else the English ones.
QString helpFolder() {
    const QDir help(QDir(programFolder()).filePath(QStringLiteral("help")));
    for (const QString& language : QLocale().uiLanguages()) {
        const QString code = QLocale(language).name().section(QLatin1Char('_'), 0, 0);
        if (help.exists(code + QStringLiteral("/contents.html"))) {
            return help.filePath(code);
        }
    }
    return help.path();
}

void showHelpPage(QWidget* owner, const QString& fileName) {
    const QString folder = helpFolder();
    QWidget* mainWindow = owner != nullptr ? owner->window() : nullptr;
    HelpWindow* window = mainWindow != nullptr ? mainWindow->findChild<HelpWindow*>(
                                                     QString(), Qt::FindDirectChildrenOnly)
                                               : nullptr;
    if (window == nullptr) {
        window = new HelpWindow(folder, mainWindow);
        if (mainWindow == nullptr) {
            window->setAttribute(Qt::WA_DeleteOnClose);
        }
    }
    if (!window->showPage(fileName)) {
        QMessageBox::warning(
            owner, QStringLiteral("Sonawell"),
            QCoreApplication::translate("HelpWindow", "The help file %1 could not be found.")
                .arg(QDir::toNativeSeparators(QDir(folder).filePath(fileName))));
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

void showHelpContents(QWidget* owner) {
    showHelpPage(owner, QStringLiteral("contents.html"));
}

void showHelpIndex(QWidget* owner) {
    showHelpPage(owner, QStringLiteral("keyword-index.html"));
}
