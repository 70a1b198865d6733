#pragma once

#include <QString>

// Why a source can't be read as a file, checked with stat (links followed) and never by an
// open, so a FIFO can't block: "file not found", "not a regular file", "empty file" or "file
// cannot be read: <reason>", translated. Empty text for a readable, non-empty regular file.
QString sourceFileProblem(const QString& path);
