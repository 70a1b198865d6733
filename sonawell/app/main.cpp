#include "gui/command_line.h"
#include "gui/startup.h"
#include "gui/translations.h"

#include <QApplication>

namespace {

void describe() {
    QCoreApplication::setApplicationName(QStringLiteral("Sonawell"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SONAWELL_VERSION));
}

}  // namespace

int main(int argc, char* argv[]) {
    // Answered on the terminal before any window system is asked for, so that it works over a
    // plain ssh or a console too.
    if (asksForHelpOrVersion(argc, argv)) {
        QCoreApplication terminal(argc, argv);
        describe();
        installTranslations(terminal);
        filesFromCommandLine(terminal);  // answers and exits
        return 0;
    }
    QApplication app(argc, argv);
    describe();
    QApplication::setDesktopFileName(QStringLiteral("io.github.sonawell.Sonawell"));
    // Before the first text is made: messages come in the user's language.
    installTranslations(app);
    const QStringList files = filesFromCommandLine(app);
    // Files for a Sonawell that already runs go to it; this process has nothing left to do.
    const QStringList left = handOverToRunningInstance(files);
    if (!files.isEmpty() && left.isEmpty()) {
        return 0;
    }
    return runApplication(app, left);
}
