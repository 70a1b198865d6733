#include "core/engine/protected_source.h"

#include "common/audio_formats.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {

// The content-encryption objects, plain, extended and advanced, as their GUIDs lie on disk.
// The last one sits in the header extension, so the whole header is searched.
const QByteArray kEncryptionObjects[] = {
    QByteArray::fromHex("fbb3112223bdd211b4b700c04fb0db7c"),
    QByteArray::fromHex("14e68a292226174cb935dae07ee9289c"),
    QByteArray::fromHex("338505438169e6499b74ad12cb86d58c"),
};

// A header larger than this is damaged rather than protected.
constexpr quint64 kMaxHeaderBytes = 64 * 1024 * 1024;

bool headerHoldsEncryption(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray start = file.read(30);
    const auto head = sw::formats::Head(reinterpret_cast<const unsigned char*>(start.constData()),
                                        static_cast<size_t>(start.size()));
    if (start.size() < 30 || !sw::formats::detail::isAsf(head)) {
        return false;
    }
    const quint64 size = qFromLittleEndian<quint64>(start.constData() + 16);
    if (size <= 30 || size > kMaxHeaderBytes) {
        return false;
    }
    const QByteArray header = file.read(static_cast<qint64>(size - 30));
    for (const QByteArray& guid : kEncryptionObjects) {
        if (header.contains(guid)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool isProtectedSource(const QString& path) {
    // A FIFO or device could block its reader for good. TagLib's own flag for this is never
    // set by the TagLib of this platform, so the header is read here.
    return QFileInfo(path).isFile() && headerHoldsEncryption(path);
}

QString protectedSourceText() {
    return QCoreApplication::translate("ConversionRunner", "protected (DRM): can't be converted");
}
