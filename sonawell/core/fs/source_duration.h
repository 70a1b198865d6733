#pragma once

#include <QString>

// The playing time of an audio file in seconds as its container tells it (or FFmpeg reckons
// it from the bit rate); 0 when the file can't be read or does not tell.
double sourceDurationSeconds(const QString& path);
