#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// Shared routines for paths and files. None raises an error; failure shows in the result.
// Paths may use "/" or "\" as separators.
QString trimAtNull(const QString& text);
bool isDirectory(const QString& path);
QString deriveOutputPath(const QString& sourcePath);
QString extractFileName(const QString& path);
QString stripTrailingSeparator(const QString& path);
QString fileExtension(const QString& path);
// A new, empty, uniquely named file in $TMPDIR (else /tmp); empty text on failure.
QString makeTempFile(const QString& prefix);
// "5.2M": one decimal rounded half up, no grouping, the system locale's decimal separator;
// "-" when there is no size.
QString formatSizeMB(std::optional<int64_t> size);
// Nothing when the path is not a readable regular file.
std::optional<int64_t> regularFileSize(const QString& path);
// 0 when the path is not a readable regular file.
int64_t fileSizeBytes(const QString& path);
// Why a source can't be read as a file, checked with stat (links followed) and never by an
// open, so a FIFO can't block: "file not found", "not a regular file", "empty file" or "file
// cannot be read: <reason>". Empty text for a readable, non-empty regular file.
QString sourceFileProblem(const QString& path);
// True when both paths name the same file, however spelled (links, "..", separators).
bool isSameFile(const QString& a, const QString& b);

// The whole number at the start of a stored value: blanks skipped, an optional sign, then
// decimal digits up to the first other character ("12abc" gives 12). Out-of-range numbers
// saturate at the 32-bit limits. Nothing when no digit follows ("yes", empty text).
std::optional<int32_t> leadingNumber(const QString& text);

// Window placement arithmetic, in the caller's units. On screen: top =
// halve(round(screenHeight * 0.85)) - halve(formHeight), left = halve(screenWidth) -
// halve(formWidth), halve truncating toward zero. Over the owner: centred, real division,
// halves rounded to even.
struct PlacedPoint {
    int x;
    int y;
};
PlacedPoint centerOnScreenPosition(int screenWidth, int screenHeight, int formWidth,
                                   int formHeight);
PlacedPoint centerOnOwnerPosition(int ownerLeft, int ownerTop, int ownerWidth, int ownerHeight,
                                  int width, int height);
