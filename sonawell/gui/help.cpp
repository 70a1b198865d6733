#include "gui/help.h"

#include "core/settings/app_settings.h"
#include "gui/help_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>

namespace {

void showHelpPage(QWidget* owner, const QString& fileName) {
    const QString folder = QDir(programFolder()).filePath(QStringLiteral("help"));
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
