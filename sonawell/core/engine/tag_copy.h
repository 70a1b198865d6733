#pragma once

#include <QString>

// Carries the source's tag over into the finished WMA file. A tag that can't be read or written
// never fails the job: the audio is what the user asked for.
void copyTagToWmaFile(const QString& source, const QString& output);
