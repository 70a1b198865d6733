#include "gui/dropped_sources.h"

#include "common/file_uri.h"
#include "core/formats/format_lookup.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// A dropped folder's files count by their names alone: the covers, playlists and notes beside
// the audio are not read.
QStringList audioFilesUnder(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (sw::formats::byFileName(QFile::encodeName(it.fileName()).toStdString()) != nullptr) {
            found.append(path);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

QStringList droppedSources(const QList<QUrl>& urls) {
    QStringList sources;
    for (const QUrl& url : urls) {
        const std::optional<std::string> path =
            sw::uri::localPathFromFileUri(url.toEncoded().toStdString());
        if (!path) {
            continue;
        }
        const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(*path)));
        if (info.isDir()) {
            sources.append(audioFilesUnder(info.absoluteFilePath()));
        } else if (info.isFile() && sourceFormatOf(info.absoluteFilePath()) != nullptr) {
            sources.append(info.absoluteFilePath());
        }
    }
    return sources;
}
