#include "gui/command_line.h"
#include "gui/startup.h"
#include "gui/translations.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sonawell"));
    QApplication::setApplicationVersion(QStringLiteral(SONAWELL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.sonawell.Sonawell"));
    // Before the first text is made: --help answers in the user's language too.
    installTranslations(app);
    const QStringList files = filesFromCommandLine(app);
    // Files for a Sonawell that already runs go to it; this process has nothing left to do.
    const QStringList left = handOverToRunningInstance(files);
    if (!files.isEmpty() && left.isEmpty()) {
        return 0;
    }
    return runApplication(app, left);
}
