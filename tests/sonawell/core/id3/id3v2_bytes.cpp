#include "id3v2_bytes.h"

#include <QtEndian>

namespace id3v2bytes {

namespace {

QByteArray SyncSafe(quint32 n) {
    QByteArray out;
    for (int shift = 21; shift >= 0; shift -= 7)
        out += static_cast<char>((n >> shift) & 0x7F);
    return out;
}

QByteArray BigEndian(quint32 n, int bytes) {
    QByteArray out;
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out += static_cast<char>((n >> shift) & 0xFF);
    return out;
}

QByteArray Utf16(const QString& text) {
    QByteArray out("\xFF\xFE", 2);
    for (const QChar c : text) {
        out += static_cast<char>(c.unicode() & 0xFF);
        out += static_cast<char>(c.unicode() >> 8);
    }
    return out;
}

}  // namespace

QByteArray Tag(int version, const QList<Frame>& frames, qint64 declaredSize) {
    QByteArray body;
    for (const Frame& frame : frames) {
        const auto size =
            static_cast<quint32>(frame.declaredSize >= 0 ? frame.declaredSize : frame.body.size());
        body += frame.id;
        if (version == 2)
            body += BigEndian(size, 3);
        else
            body += (version == 4 ? SyncSafe(size) : BigEndian(size, 4)) + QByteArray(2, '\0');
        body += frame.body;
    }
    const auto size = static_cast<quint32>(declaredSize >= 0 ? declaredSize : body.size());
    return QByteArray("ID3") + static_cast<char>(version) + QByteArray(2, '\0') + SyncSafe(size) +
           body;
}

QByteArray Text(int version, const QString& text) {
    return version == 4 ? QByteArray(1, '\x03') + text.toUtf8()
                        : QByteArray(1, '\x01') + Utf16(text);
}

QByteArray Comment(int version, const QString& text) {
    if (version == 4)
        return QByteArray(
                   "\x03"
                   "eng\0",
                   5) +
               text.toUtf8();
    return QByteArray(
               "\x01"
               "eng",
               4) +
           Utf16(QString()) + QByteArray(2, '\0') + Utf16(text);
}

QByteArray Picture(int version, const QByteArray& mimeType, int type, const QByteArray& image) {
    const QByteArray format = version == 2 ? mimeType.left(3) : mimeType + '\0';
    return QByteArray(1, '\0') + format + static_cast<char>(type) + "cover" + '\0' + image;
}

QByteArray Chunk(const QByteArray& id, const QByteArray& data) {
    QByteArray size(4, '\0');
    qToLittleEndian(static_cast<quint32>(data.size()), size.data());
    return id + size + data + (data.size() % 2 ? QByteArray(1, '\0') : QByteArray());
}

QByteArray WaveWith(const QByteArray& wave, const QByteArray& extraChunks) {
    QByteArray out = wave + extraChunks;
    qToLittleEndian(static_cast<quint32>(out.size() - 8), out.data() + 4);
    return out;
}

}  // namespace id3v2bytes
