#pragma once

#include <QString>

#include <vector>

// Folders handed in as sources, and where their files' outputs go. Every entry point (drop,
// Add Job, AddJobs, the command line) expands a folder here, so they all find the same files in
// the same order.

struct TreeSource {
    QString path;       // absolute
    QString subfolder;  // below the folder handed in: "" at its top, "Album A/CD 1" deeper
};

// The files under `folder` and its subfolders whose names the table of formats knows (the
// covers, playlists and notes beside them are not read), each folder's files in name order
// before its subfolders, also in name order. Hidden files and folders are skipped; a link to a
// folder is followed, but no folder is entered twice, so links can't loop.
std::vector<TreeSource> audioFilesUnder(const QString& folder);

// The output path of a file named `fileName` sent to `targetDir`: in `subfolder` below it when
// the tree is kept ("TargetDir/Album A/01.wma"), else at its top. A target folder of "/" or with
// trailing separators gives single separators.
QString targetPathFor(const QString& targetDir, const QString& subfolder, const QString& fileName,
                      bool keepTree);
