#include "gui/dropped_sources.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace {

const QStringList kAudioPatterns{QStringLiteral("*.mp3"), QStringLiteral("*.mp2"),
                                 QStringLiteral("*.wav"), QStringLiteral("*.wma")};

bool isAudioFile(const QString& path) {
    // Name filters match either case unless QDir::CaseSensitive is asked for.
    return QDir::match(kAudioPatterns, QFileInfo(path).fileName());
}

QStringList audioFilesUnder(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, kAudioPatterns, QDir::Files | QDir::Readable,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        found.append(it.next());
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

QStringList droppedSources(const QList<QUrl>& urls) {
    QStringList sources;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            continue;
        }
        const QFileInfo info(url.toLocalFile());
        if (info.isDir()) {
            sources.append(audioFilesUnder(info.absoluteFilePath()));
        } else if (info.isFile() && isAudioFile(info.fileName())) {
            sources.append(info.absoluteFilePath());
        }
    }
    return sources;
}
