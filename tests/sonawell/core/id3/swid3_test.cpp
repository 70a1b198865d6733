#include "core/id3/swid3.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/audio_fixtures.h"

namespace {

// A 128-byte tag block with every field NUL-filled; fields are placed byte for byte.
class TagBlock {
public:
    TagBlock() : m_bytes(128, '\0') { Put(0, QByteArrayLiteral("TAG")); }
    TagBlock& Put(int offset, const QByteArray& bytes) {
        m_bytes.replace(offset, bytes.size(), bytes);
        return *this;
    }
    TagBlock& Title(const QByteArray& b) { return Put(3, b); }
    TagBlock& Artist(const QByteArray& b) { return Put(33, b); }
    TagBlock& Album(const QByteArray& b) { return Put(63, b); }
    TagBlock& Year(const QByteArray& b) { return Put(93, b); }
    TagBlock& Comment(const QByteArray& b) { return Put(97, b); }
    TagBlock& Genre(unsigned char g) { return Put(127, QByteArray(1, static_cast<char>(g))); }
    QByteArray Bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

class SWID3Test : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = QDir(m_dir.path()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }
    // Audio-like leading bytes followed by the tag, as an MP3 carries it.
    QString WriteTagged(const QString& name, const TagBlock& tag) {
        return Write(name, QByteArray(1000, '\x55') + tag.Bytes());
    }

    QTemporaryDir m_dir;
};

void ExpectUntouched(const SWID3& id3) {
    EXPECT_FALSE(id3.IsValid());
    EXPECT_EQ(id3.Title(), QString());
    EXPECT_EQ(id3.Artist(), QString());
    EXPECT_EQ(id3.Album(), QString());
    EXPECT_EQ(id3.Year(), QString());
    EXPECT_EQ(id3.Comment(), QString());
    EXPECT_EQ(id3.Genre(), 0);
    EXPECT_EQ(id3.GenreNum(), 0);
    EXPECT_EQ(id3.Track(), 0);
}

TEST_F(SWID3Test, ReadsEveryFieldOfAVersion11Tag) {
    const QString path = WriteTagged(
        QStringLiteral("song.mp3"),
        TagBlock()
            .Title("A Title")
            .Artist("The Artist")
            .Album("An Album")
            .Year("1999")
            .Comment(QByteArray("Nice one") + QByteArray(20, '\0') + QByteArray(1, '\0') + "\x07")
            .Genre(17));
    SWID3 id3;
    id3.setFileName(path);
    EXPECT_EQ(id3.FileName(), path);
    EXPECT_TRUE(id3.IsValid());
    EXPECT_EQ(id3.Title(), QStringLiteral("A Title"));
    EXPECT_EQ(id3.Artist(), QStringLiteral("The Artist"));
    EXPECT_EQ(id3.Album(), QStringLiteral("An Album"));
    EXPECT_EQ(id3.Year(), QStringLiteral("1999"));
    EXPECT_EQ(id3.Comment(), QStringLiteral("Nice one"));
    EXPECT_EQ(id3.Genre(), 17);
    EXPECT_EQ(id3.GenreNum(), 17);
    EXPECT_EQ(id3.Track(), 7);
}

TEST_F(SWID3Test, ReadsATagWrittenByTheTestTagger) {
    const QString path = QDir(m_dir.path()).filePath(QStringLiteral("tone.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(path, 0.5));
    ASSERT_TRUE(
        testsupport::AppendId3v1(path, {"Title", "Artist", "Album", "2001", "Comment", 255, 12}));
    SWID3 id3;
    id3.setFileName(path);
    EXPECT_TRUE(id3.IsValid());
    EXPECT_EQ(id3.Title(), QStringLiteral("Title"));
    EXPECT_EQ(id3.Comment(), QStringLiteral("Comment"));
    EXPECT_EQ(id3.Track(), 12);
    EXPECT_EQ(id3.Genre(), 255);
    EXPECT_EQ(id3.GenreNum(), 255);
}

TEST_F(SWID3Test, FilesTooShortMissingOrEmptyReadNothing) {
    {
        SWID3 id3;
        const QString path =
            Write(QStringLiteral("short.mp3"), TagBlock().Title("Song").Bytes().left(127));
        id3.setFileName(path);
        ExpectUntouched(id3);
        // The file has a length, so its path is kept even though no tag fits in it.
        EXPECT_EQ(id3.FileName(), path);
    }
    {
        SWID3 id3;
        id3.setFileName(QDir(m_dir.path()).filePath(QStringLiteral("missing.mp3")));
        ExpectUntouched(id3);
        EXPECT_EQ(id3.FileName(), QString());
    }
    {
        SWID3 id3;
        id3.setFileName(Write(QStringLiteral("empty.mp3"), {}));
        ExpectUntouched(id3);
        EXPECT_EQ(id3.FileName(), QString());
    }
    {
        SWID3 id3;
        id3.setFileName(m_dir.path());  // a folder is not a file
        ExpectUntouched(id3);
        EXPECT_EQ(id3.FileName(), QString());
    }
}

TEST_F(SWID3Test, ShortFileKeepsTheValidityOfThePreviousFile) {
    SWID3 id3;
    id3.setFileName(WriteTagged(QStringLiteral("a.mp3"), TagBlock().Title("First")));
    ASSERT_TRUE(id3.IsValid());
    id3.setFileName(Write(QStringLiteral("b.mp3"), QByteArray(100, 'x')));
    EXPECT_TRUE(id3.IsValid());
    EXPECT_EQ(id3.Title(), QStringLiteral("First"));
}

TEST_F(SWID3Test, ExactlyOneTagLongFileIsRead) {
    SWID3 id3;
    id3.setFileName(Write(QStringLiteral("only.tag"), TagBlock().Title("Only").Bytes()));
    EXPECT_TRUE(id3.IsValid());
    EXPECT_EQ(id3.Title(), QStringLiteral("Only"));
}

TEST_F(SWID3Test, MarkerIsCaseSensitive) {
    SWID3 id3;
    id3.setFileName(
        WriteTagged(QStringLiteral("lower.mp3"), TagBlock().Put(0, "tag").Title("Song").Genre(3)));
    ExpectUntouched(id3);
}

TEST_F(SWID3Test, TrackNumberRules) {
    struct Case {
        QByteArray comment;
        int16_t track;
        QString text;
    };
    const Case cases[] = {
        {QByteArray("Hi") + QByteArray(26, '\0') + QByteArray(1, '\0') + "\x07", 7,
         QStringLiteral("Hi")},
        {QByteArray("Hi") + QByteArray(28, '\0'), -1, QStringLiteral("Hi")},
        {QByteArray("abcdefghijklmnopqrstuvwxyz0123"), -1,
         QStringLiteral("abcdefghijklmnopqrstuvwxyz0123")},
        {QByteArray(28, 'c') + QByteArray(1, '\0') + "\xff", 255, QString(28, QLatin1Char('c'))},
        // Byte 29 not NUL: a 29-character comment with a stray last byte is no track.
        {QByteArray(29, 'd') + QByteArray(1, '\0'), -1, QString(29, QLatin1Char('d'))},
    };
    int n = 0;
    for (const Case& c : cases) {
        SWID3 id3;
        id3.setFileName(
            WriteTagged(QStringLiteral("t%1.mp3").arg(n++), TagBlock().Comment(c.comment)));
        EXPECT_TRUE(id3.IsValid());
        EXPECT_EQ(id3.Track(), c.track) << c.comment.toHex().constData();
        EXPECT_EQ(id3.Comment(), c.text) << c.comment.toHex().constData();
    }
}

TEST_F(SWID3Test, TextIsCutAtNulAndTrimmedOfSpaces) {
    SWID3 id3;
    id3.setFileName(
        WriteTagged(QStringLiteral("pad.mp3"), TagBlock()
                                                   .Title("  Song  ")
                                                   .Artist(QByteArray(30, ' '))
                                                   .Album(QByteArray(1, '\0') + "Hidden")
                                                   .Year(QByteArray("99") + QByteArray(2, '\0'))
                                                   .Comment("\tTabbed\t")));
    EXPECT_EQ(id3.Title(), QStringLiteral("Song"));
    EXPECT_EQ(id3.Artist(), QString());
    EXPECT_EQ(id3.Album(), QString());
    EXPECT_EQ(id3.Year(), QStringLiteral("99"));
    // Only spaces are padding; other whitespace belongs to the text.
    EXPECT_EQ(id3.Comment(), QStringLiteral("\tTabbed\t"));
    EXPECT_EQ(id3.Track(), -1);

    SWID3 spaces;
    spaces.setFileName(
        WriteTagged(QStringLiteral("spaces.mp3"), TagBlock().Title("Song" + QByteArray(26, ' '))));
    EXPECT_EQ(spaces.Title(), QStringLiteral("Song"));
}

// Windows-1252: Latin-1's letters, and punctuation where Latin-1 has C1 control characters.
TEST_F(SWID3Test, TextIsWindows1252) {
    SWID3 id3;
    id3.setFileName(
        WriteTagged(QStringLiteral("cp1252.mp3"), TagBlock()
                                                      .Title("Caf\xe9")
                                                      .Artist("\xc4\xd6\xdc \xdf \xff")
                                                      .Album("Don\x92t \x80 \x85 \x93q\x94")));
    EXPECT_EQ(id3.Title(), QStringLiteral("Café"));
    EXPECT_EQ(id3.Title().toUtf8(), QByteArray("Caf\xc3\xa9"));
    EXPECT_EQ(id3.Artist(), QStringLiteral("ÄÖÜ ß ÿ"));
    EXPECT_EQ(id3.Album(), QStringLiteral("Don’t € … “q”"));
}

TEST_F(SWID3Test, SecondFileWithoutTagKeepsTheFirstValues) {
    SWID3 id3;
    id3.setFileName(WriteTagged(QStringLiteral("first.mp3"),
                                TagBlock().Title("First").Year("1999").Genre(9).Comment(
                                    QByteArray(28, '\0') + QByteArray(1, '\0') + "\x03")));
    ASSERT_TRUE(id3.IsValid());
    const QString second = Write(QStringLiteral("second.mp3"), QByteArray(500, '\x11'));
    id3.setFileName(second);
    EXPECT_FALSE(id3.IsValid());
    EXPECT_EQ(id3.FileName(), second);
    EXPECT_EQ(id3.Title(), QStringLiteral("First"));
    EXPECT_EQ(id3.Year(), QStringLiteral("1999"));
    EXPECT_EQ(id3.Genre(), 9);
    EXPECT_EQ(id3.Track(), 3);
}

TEST_F(SWID3Test, UnreadableFileChangesNothingButThePath) {
    const QString path = WriteTagged(QStringLiteral("locked.mp3"), TagBlock().Title("Secret"));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    QFile probe(path);
    if (probe.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running with permission override";
    SWID3 id3;
    id3.setFileName(path);
    ExpectUntouched(id3);
}

TEST_F(SWID3Test, ReadingNeverChangesTheFile) {
    const TagBlock tag = TagBlock().Title("Keep").Comment("me");
    const QString path = WriteTagged(QStringLiteral("keep.mp3"), tag);
    SWID3 id3;
    id3.setFileName(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray(1000, '\x55') + tag.Bytes());
}

}  // namespace
