#pragma once

#include <QByteArray>
#include <QList>

#include <cstdio>
#include <vector>

// A file to look at, and where it was found.
struct SourceEntry {
    QByteArray path;
    // The folder between the folder given and the file ("live/1999" of "music/live/1999/a.mp3"
    // for "music"); for a file given itself, the folder of its relative path ("live" of
    // "./live/a.mp3"), none for an absolute path or one that climbs out with "..".
    QByteArray subfolder;
    // Named by the user (a file the table does not take is an error) rather than found in a
    // folder (such files are passed over).
    bool named = true;
};

// The files the arguments name: files as they are, folders with every regular file under them
// but hidden ones, and none in hidden folders (links to folders are not followed, so a loop
// can't trap the walk), each folder's files in byte order of their paths. "-" stands for the
// NUL-separated names read from `input`.
std::vector<SourceEntry> expandSources(const QList<QByteArray>& arguments, std::FILE* input);

// The NUL-separated names of `input` (a last name may lack its NUL); empty names are dropped.
QList<QByteArray> readNulSeparated(std::FILE* input);

// The folder an output of `entry` goes into: beside its source without an output folder, else
// the output folder, with the entry's subfolder below it when folders are kept.
QByteArray outputFolderFor(const SourceEntry& entry, const QByteArray& outputDir, bool keepFolders);
