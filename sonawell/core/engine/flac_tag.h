#pragma once

#include <QString>

// Carries a source's tag (readSourceTag: title, every artist, album, album artist, year, track
// and total, disc, genre, composer, comment) into a complete FLAC file as Vorbis comments, with
// its cover as a FLAC picture, in place with one save before the file gets its name. A tag that
// can't be read or written never fails the job.
void copyTagToFlacFile(const QString& source, const QString& flacOutput);
