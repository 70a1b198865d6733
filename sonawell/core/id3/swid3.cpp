#include "core/id3/swid3.h"

#include "core/id3/windows1252.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr qint64 kTagSize = 128;

struct Field {
    int offset;
    int size;
};
constexpr Field kTitle{3, 30};
constexpr Field kArtist{33, 30};
constexpr Field kAlbum{63, 30};
constexpr Field kYear{93, 4};
constexpr Field kComment{97, 30};
constexpr int kGenreOffset = 127;

QByteArray CutAtNul(const QByteArray& text) {
    const qsizetype nul = text.indexOf('\0');
    return nul < 0 ? text : text.left(nul);
}

// Only the space character: ID3v1 pads with spaces or NULs, and other whitespace in a
// field is the tagger's text.
QByteArray TrimSpaces(const QByteArray& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == ' ')
        ++begin;
    while (end > begin && text.at(end - 1) == ' ')
        --end;
    return text.mid(begin, end - begin);
}

QString TextField(const QByteArray& tag, Field field) {
    return decodeWindows1252(TrimSpaces(CutAtNul(tag.mid(field.offset, field.size))));
}

}  // namespace

void SWID3::setFileName(const QString& fname) {
    // isFile() is false for FIFOs and devices, whose opening could block or never end.
    const QFileInfo info(fname);
    if (fname.isEmpty() || !info.isFile() || info.size() <= 0)
        return;
    m_fileName = fname;
    ReadTag();
}

void SWID3::ReadTag() {
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    ParseTag(file);
}

void SWID3::ParseTag(QFile& file) {
    const qint64 length = file.size();
    if (length < kTagSize)
        return;
    if (!file.seek(length - kTagSize))
        return;
    const QByteArray tag = file.read(kTagSize);
    // A read that comes up short (the file shrank or failed) reads as no file at all.
    if (tag.size() != kTagSize)
        return;

    if (!tag.startsWith("TAG")) {
        m_isValid = false;
        return;
    }
    m_isValid = true;
    m_title = TextField(tag, kTitle);
    m_artist = TextField(tag, kArtist);
    m_album = TextField(tag, kAlbum);
    m_year = TextField(tag, kYear);
    m_comment = TextField(tag, kComment);

    const auto genre = static_cast<uint8_t>(tag.at(kGenreOffset));
    m_genre = genre;
    m_genreNum = genre;

    // Version 1.1: the comment's 29th byte is NUL and its 30th the track number.
    const auto marker = static_cast<uint8_t>(tag.at(kComment.offset + 28));
    const auto track = static_cast<uint8_t>(tag.at(kComment.offset + 29));
    m_track = (marker == 0 && track != 0) ? static_cast<int16_t>(track) : int16_t{-1};
}
