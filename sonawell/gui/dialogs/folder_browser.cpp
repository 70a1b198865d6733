#include "gui/dialogs/folder_browser.h"

#include <QDir>
#include <QFileDialog>

QString chooseFolder(QWidget* owner, const QString& startFolder, const QString& title) {
    const QString start = startFolder.isEmpty() ? QDir::homePath() : startFolder;
    const QString chosen = QFileDialog::getExistingDirectory(owner, title, start);
    if (chosen.isEmpty()) {
        return {};
    }
    // The dialog may hand back "/a/b/" or "//"; the root stays "/", other folders lose the
    // trailing separator.
    const QString clean = QDir::cleanPath(chosen);
    return clean.isEmpty() ? QStringLiteral("/") : clean;
}
