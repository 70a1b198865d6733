#pragma once

class QApplication;

// The program's start-up: settings, the automation server, splash, the one encoder, the
// default-profile check and the main window; then the event loop. Returns the exit code.
int runApplication(QApplication& app);
