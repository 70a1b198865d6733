#include "gui/dropped_sources.h"

#include "common/file_uri.h"
#include "core/formats/format_lookup.h"
#include "core/jobs/source_tree.h"

#include <QFile>
#include <QFileInfo>

QStringList droppedSources(const QList<QUrl>& urls, QStringList* refused) {
    QStringList sources;
    for (const QUrl& url : urls) {
        const std::optional<std::string> path =
            sw::uri::localPathFromFileUri(url.toEncoded().toStdString());
        if (!path) {
            continue;
        }
        const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(*path)));
        if (info.isDir()) {
            const std::vector<TreeSource> found = audioFilesUnder(info.absoluteFilePath());
            for (const TreeSource& file : found) {
                sources.append(file.path);
            }
            if (found.empty() && refused != nullptr) {
                refused->append(info.absoluteFilePath());
            }
        } else if (info.isFile() && sourceFormatOf(info.absoluteFilePath()) != nullptr) {
            sources.append(info.absoluteFilePath());
        } else if (refused != nullptr) {
            refused->append(info.absoluteFilePath());
        }
    }
    return sources;
}
