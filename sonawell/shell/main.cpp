#include "shell/startup.h"

#include <QApplication>

extern "C" {
#include <libavutil/log.h>
}

int main(int argc, char* argv[]) {
    // Decoder chatter about odd frames would flood a terminal on every damaged file; failures
    // reach the user through the job's status instead.
    av_log_set_level(AV_LOG_ERROR);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sonawell"));
    QApplication::setDesktopFileName(QStringLiteral("sonawell"));
    return Main(app);
}
