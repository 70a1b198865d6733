#include "core/id3/windows1252.h"

#include <QStringDecoder>

QString decodeWindows1252(const QByteArray& bytes) {
    QStringDecoder decoder("windows-1252");
    // Qt without ICU knows no code pages; Latin-1 still gets every letter but 0x80..0x9F right.
    return decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
}
