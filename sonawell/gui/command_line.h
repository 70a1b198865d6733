#pragma once

#include <QStringList>

class QCoreApplication;

// The program's command line: `sonawell [FILE…]`, where each FILE is a path or a file:// URI.
// Answers --help and --version itself (and exits), and returns the files as the quick-convert
// path takes them: absolute local paths, or the URI itself when its path is not valid UTF-8.
QStringList filesFromCommandLine(const QCoreApplication& app);

// True when the arguments ask only for an answer on the terminal (--help, --version): that
// needs no window system, and the program must give it where there is no display.
bool asksForHelpOrVersion(int argc, const char* const* argv);

// Hands `files` to the Sonawell that owns the quick-convert name on the session bus, one
// AddJobs call each. Returns the files it could not hand over: all of them when none runs.
QStringList handOverToRunningInstance(const QStringList& files);
