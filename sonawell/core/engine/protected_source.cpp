#include "core/engine/protected_source.h"

#include "common/audio_formats.h"
#include "core/fs/file_head.h"

#include <QCoreApplication>
#include <QFile>

#include <taglib/asffile.h>
#include <taglib/asfproperties.h>

bool isProtectedSource(const QString& path) {
    // fileHead reads regular files only, so a FIFO never blocks here.
    const QByteArray head = fileHead(path, sw::formats::kSignatureBytes);
    if (!sw::formats::detail::isAsf(
            sw::formats::Head(reinterpret_cast<const unsigned char*>(head.constData()),
                              static_cast<size_t>(head.size())))) {
        return false;
    }
    const TagLib::ASF::File file(QFile::encodeName(path).constData(), /*readProperties=*/true);
    return file.isValid() && file.audioProperties() != nullptr &&
           file.audioProperties()->isEncrypted();
}

QString protectedSourceText() {
    return QCoreApplication::translate("ConversionRunner", "protected (DRM): can't be converted");
}
