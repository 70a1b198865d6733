#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// ID3v2 tags built byte by byte, so that tags no tagger would write can be built too.
namespace id3v2bytes {

struct Frame {
    QByteArray id;  // three characters for version 2.2, else four
    QByteArray body;
    qint64 declaredSize = -1;  // what the frame header claims; -1: the body's size
};

// A whole tag of major `version` (2, 3 or 4); `declaredSize` -1 claims the frames' size.
QByteArray Tag(int version, const QList<Frame>& frames, qint64 declaredSize = -1);

// A text frame's body: UTF-8 in version 2.4, UTF-16 with a byte order mark before that.
QByteArray Text(int version, const QString& text);
// A comment frame's body: language "eng", no description.
QByteArray Comment(int version, const QString& text);
// An attached picture frame's body; `mimeType` is the three-letter format in version 2.2.
QByteArray Picture(int version, const QByteArray& mimeType, int type, const QByteArray& image);

// A RIFF chunk with its pad byte.
QByteArray Chunk(const QByteArray& id, const QByteArray& data);
// A WAVE file with `extraChunks` after its own, the RIFF size set to match.
QByteArray WaveWith(const QByteArray& wave, const QByteArray& extraChunks);

}  // namespace id3v2bytes
