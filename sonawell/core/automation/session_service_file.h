#pragma once

#include <QString>
#include <QStringList>

// The D-Bus service file through which the session bus starts Sonawell on the first
// quick-convert call. An installed Sonawell ships one in a system folder; a program run from
// its build folder has to write one for the user, in $XDG_DATA_HOME/dbus-1/services. The bus
// reads the user's folder first, so a user file left behind would shadow the installed one.

// The folders the session bus searches for services besides the user's own: dbus-1/services
// in each of $XDG_DATA_DIRS (default /usr/local/share:/usr/share) and in /usr/share, the bus's
// own data folder.
QStringList systemServiceFolders();

// Writes the user's service file naming `executable` when none of `systemFolders` provides
// the name, and removes the user's file for the name when one does. False when the file could
// not be written or removed.
bool updateSessionServiceFile(const QString& executable,
                              const QStringList& systemFolders = systemServiceFolders());
