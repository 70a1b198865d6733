#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

// The source files a drop on the main window names: dropped audio files as they are, dropped
// folders searched through their subfolders, each folder's finds in name order. Only the
// types the Add Job dialog's browse button offers count (.mp3 .mp2 .wav .wma, either case).
QStringList droppedSources(const QList<QUrl>& urls);
