#pragma once

#include <QByteArray>
#include <QString>

// A picture of a tag: the front cover when there is one, else the first picture.
struct TagPicture {
    QByteArray data;  // empty: no picture
    QString mimeType;
    int type = 0;  // the ID3v2 picture type; 3 is the front cover
    QString description;
};

// A source's tag as players show it. An empty text or a zero track is a field without a value.
struct SourceTag {
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment;
    QString genre;     // the genre's name
    int genreId = -1;  // its ID3v1 genre number; -1 when it has none
    int track = 0;     // 1-based
    int trackTotal = 0;
    QString albumArtist;
    QString partOfSet;
    QString composer;
    TagPicture picture;
};

// The tag of a source, merged field by field from every tag it carries, richest first: for MPEG
// audio (MP3, MP2) and WAVE, ID3v2 (2.2 to 2.4; in a WAVE file its `id3 ` chunk), then a WAVE's
// RIFF INFO list; for the other formats of the table (picked by content, else by name) their
// own tag through TagLib's property names (Vorbis comments, MP4 atoms, APE items, ASF
// attributes; ID3v2 for AIFF) with its pictures; then ID3v1 (read as SWID3 reads it). A field
// with several values (artists) keeps them all, joined by "; ". What a damaged tag still holds is
// read; the file is never written, nothing is thrown, and special files are not opened.
SourceTag readSourceTag(const QString& path);
