#pragma once

#include <QString>

#include <cstdint>

class QFile;

// Reads the ID3 version 1 / 1.1 tag from the last 128 bytes of a file; its text is
// Windows-1252. Create one
// object per file and assign its path with setFileName(), which reads the tag at once;
// then read the fields. Never writes the file and never reports an error: a file without
// a tag, or one that can't be read, leaves the properties as they were (see IsValid()).
class SWID3 {
public:
    QString Title() const { return m_title; }
    void setTitle(const QString& value) { m_title = value; }
    QString Artist() const { return m_artist; }
    void setArtist(const QString& value) { m_artist = value; }
    QString Album() const { return m_album; }
    void setAlbum(const QString& value) { m_album = value; }
    QString Year() const { return m_year; }
    void setYear(const QString& value) { m_year = value; }
    QString Comment() const { return m_comment; }
    void setComment(const QString& value) { m_comment = value; }
    uint8_t Genre() const { return m_genre; }
    void setGenre(uint8_t value) { m_genre = value; }
    int16_t GenreNum() const { return m_genreNum; }
    void setGenreNum(int16_t value) { m_genreNum = value; }
    // True when the last file read (128 bytes or longer) ends with a tag.
    bool IsValid() const { return m_isValid; }
    void setIsValid(bool value) { m_isValid = value; }
    // 1..255 for a version 1.1 tag, -1 for a tag without a track number, 0 before any tag.
    int16_t Track() const { return m_track; }
    void setTrack(int16_t value) { m_track = value; }

    QString FileName() const { return m_fileName; }
    // Stores the path and reads its tag, but only for an existing regular file that is not
    // empty; otherwise nothing changes.
    void setFileName(const QString& fname);

private:
    void ReadTag();
    void ParseTag(QFile& file);

    QString m_title;
    QString m_artist;
    QString m_album;
    QString m_year;
    QString m_comment;
    uint8_t m_genre = 0;
    int16_t m_genreNum = 0;
    bool m_isValid = false;
    int16_t m_track = 0;
    QString m_fileName;
};
