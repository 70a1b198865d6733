#pragma once

#include <QStringList>

class QApplication;

// The program's start-up: settings, the automation server, splash, the one encoder, the
// default-profile check and the main window; then the event loop. Returns the exit code.
// `files` wait with the handed-in ones until the main window is ready.
int runApplication(QApplication& app, const QStringList& files = {});
