#include "core/jobs/source_tree.h"

#include "common/audio_formats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

void collect(const QDir& folder, const QString& subfolder, QSet<QString>& entered,
             std::vector<TreeSource>& found) {
    const QString canonical = folder.canonicalPath();
    if (canonical.isEmpty() || entered.contains(canonical)) {
        return;
    }
    entered.insert(canonical);
    // Byte order of the names: the same on every machine, whatever its locale.
    const QFileInfoList files = folder.entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& file : files) {
        if (sw::formats::byFileName(QFile::encodeName(file.fileName()).toStdString()) != nullptr) {
            found.push_back({file.absoluteFilePath(), subfolder});
        }
    }
    const QFileInfoList folders =
        folder.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name);
    for (const QFileInfo& child : folders) {
        const QString below = subfolder.isEmpty() ? child.fileName()
                                                  : subfolder + QLatin1Char('/') + child.fileName();
        collect(QDir(child.absoluteFilePath()), below, entered, found);
    }
}

QString withoutTrailingSeparators(QString folder) {
    while (folder.size() > 1 &&
           (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))) {
        folder.chop(1);
    }
    return folder == QLatin1String("/") ? QString() : folder;
}

}  // namespace

std::vector<TreeSource> audioFilesUnder(const QString& folder) {
    std::vector<TreeSource> found;
    QSet<QString> entered;
    collect(QDir(QFileInfo(folder).absoluteFilePath()), QString(), entered, found);
    return found;
}

QString targetPathFor(const QString& targetDir, const QString& subfolder, const QString& fileName,
                      bool keepTree) {
    QString path = withoutTrailingSeparators(targetDir) + QLatin1Char('/');
    if (keepTree && !subfolder.isEmpty()) {
        path += subfolder + QLatin1Char('/');
    }
    return path + fileName;
}
