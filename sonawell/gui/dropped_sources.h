#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

// The source files a drop on the main window names: each dropped file the table of formats
// takes (by its name, else by its first bytes), and the files under each dropped folder and its
// subfolders whose names the table knows (audioFilesUnder). The dropped files the table does not
// take, and dropped folders without audio, go to `refused`.
QStringList droppedSources(const QList<QUrl>& urls, QStringList* refused = nullptr);
