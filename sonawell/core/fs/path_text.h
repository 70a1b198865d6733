#pragma once

#include <QString>

// Routines on path text that never touch the disk. Paths may use "/" or "\" as separators.

// What follows the last separator; the last character is not examined, so "dir/" gives "dir/".
QString extractFileName(const QString& path);
// The path without one trailing separator.
QString stripTrailingSeparator(const QString& path);
// What follows the last dot, in its own case, wherever that dot is.
QString fileExtension(const QString& path);
