#pragma once

#include <QString>

// "Status" of a job that could not be converted: "Failed: " and the first line of the reason,
// shortened; the whole reason goes into the row's tooltip.
QString FailedStatusText(const QString& reason);

// True when both paths name the same file, however spelled (links, "..", separators).
bool IsSameFile(const QString& a, const QString& b);
