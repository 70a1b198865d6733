#pragma once

#include <QString>

// Carries the source's tag (see readSourceTag) over into the complete WMA file, in place with
// one save, before the file gets its name: the attributes
// "Author", "Title", "WM/AlbumTitle", "WM/Year", "Description", "WM/GenreID" (text) and
// "WM/Track" (DWORD, the track number), then "WM/TrackNumber" (DWORD), "WM/Genre",
// "WM/AlbumArtist", "WM/PartOfSet", "WM/Composer" and "WM/Picture". A field without a value
// writes no attribute. A tag that can't be read or written never fails the job: the audio is
// what the user asked for.
void copyTagToWmaFile(const QString& source, const QString& output);

// Carries a WMA's title, artist, album, year, comment, genre and track into the finished WAVE
// file as a RIFF INFO list (text in UTF-8), in place before it gets its name, after the
// chunks already there, which stay byte for
// byte as they were. Like the WMA copy, it never fails the job.
void copyTagToWaveFile(const QString& wmaSource, const QString& waveOutput);
