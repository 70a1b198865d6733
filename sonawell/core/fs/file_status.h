#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// Questions about a file on disk. None raises an error or blocks on a FIFO; failure shows in
// the result. Paths may use "/" or "\" as separators.

// True for an existing folder, or a link to one.
bool isDirectory(const QString& path);
// Nothing when the path is not a readable regular file.
std::optional<int64_t> regularFileSize(const QString& path);
// 0 when the path is not a readable regular file.
int64_t fileSizeBytes(const QString& path);
// True when both paths name the same file, however spelled (links, "..", separators).
bool isSameFile(const QString& a, const QString& b);
