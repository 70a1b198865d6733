#include "gui/startup.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sonawell"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.sonawell.Sonawell"));
    return runApplication(app);
}
