#include "core/jobs/resolved_path.h"

#include <QDir>
#include <QFileInfo>

QString resolvedPath(const QString& path) {
    const QFileInfo info(path);
    // One look-up tells a new output from an existing one: resolving a missing file's whole path
    // would read every folder of it as a link before failing.
    if (info.exists()) {
        if (const QString canonical = info.canonicalFilePath(); !canonical.isEmpty()) {
            return canonical;
        }
    }
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                            : QDir(folder).filePath(info.fileName());
}
