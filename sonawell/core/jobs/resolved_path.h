#pragma once

#include <QString>

// The path a file is reached by, whether it exists or not: absolute, with links and ".." of
// its folder (and of the file itself, when it exists) followed.
QString resolvedPath(const QString& path);
