#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// How the settings store reads the text of a stored value.

// The text up to its first NUL, as a fixed-size buffer would hold it.
QString trimAtNull(const QString& text);

// The whole number at the start of a stored value: blanks skipped, an optional sign, then
// decimal digits up to the first other character ("12abc" gives 12). Out-of-range numbers
// saturate at the 32-bit limits. Nothing when no digit follows ("yes", empty text).
std::optional<int32_t> leadingNumber(const QString& text);
