// The tag copy on real files: sources tagged byte by byte, a WMA from the ffmpeg tool, and
// the result read back by TagLib, ffprobe and (when installed) mutagen.
#include "core/engine/tag_copy.h"
#include "core/settings/app_settings.h"
#include "mellorin/decode.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>
#include <taglib/infotag.h>
#include <taglib/wavfile.h>

#include "id3v2_bytes.h"
#include "support/audio_fixtures.h"
#include "support/file_fixtures.h"
#include "tag_readers.h"

namespace {

using id3v2bytes::Comment;
using id3v2bytes::Frame;
using id3v2bytes::Picture;
using id3v2bytes::Tag;
using id3v2bytes::Text;
using tagreaders::Tags;
using testsupport::ReadAll;

// Audio and images made once for every case.
struct Media {
    QByteArray mp3, mp2, wav, wma;
    QByteArray jpeg, png, bigBmp;
};

Media& Made() {
    static Media media;
    return media;
}

QByteArray MakeWith(const QString& folder, const QString& name,
                    const std::function<bool(const QString&)>& make) {
    const QString path = QDir(folder).filePath(name);
    return make(path) ? ReadAll(path) : QByteArray();
}

QByteArray MakeImage(const QString& folder, const QString& name, const QString& size) {
    return MakeWith(folder, name, [&size](const QString& path) {
        return testsupport::RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"),
                                       QStringLiteral("-i"),
                                       QStringLiteral("testsrc=size=%1").arg(size),
                                       QStringLiteral("-frames:v"), QStringLiteral("1"), path});
    });
}

// A v1.1 tag block.
QByteArray V1(const testsupport::Id3v1& fields, const QString& folder) {
    const QString path = QDir(folder).filePath(QStringLiteral("v1.bin"));
    testsupport::WriteAll(path, QByteArray());
    return testsupport::AppendId3v1(path, fields) ? ReadAll(path) : QByteArray();
}

struct Case {
    const char* name;
    const char* extension;
    std::function<QByteArray(const Media&, const QString& folder)> source;
    std::function<Tags(const Media&)> expected;
};

// A RIFF INFO text: NUL-terminated.
QByteArray Z(const char* text) {
    return QByteArray(text) + '\0';
}

std::string Utf8(const char* text) {
    return text;
}

std::string PictureOf(const QByteArray& image) {
    return tagreaders::PictureKey(image).toStdString();
}

const Case kCases[] = {
    {"V24Utf8EveryFieldFrontCoverAfterAnotherPicture", "mp3",
     [](const Media& m, const QString&) {
         return Tag(4, {{"TIT2", Text(4, QStringLiteral("Zoë’s Song"))},
                        {"TPE1", Text(4, QStringLiteral("Ünïcødé Artist"))},
                        {"TALB", Text(4, QStringLiteral("Album ★"))},
                        {"TDRC", Text(4, QStringLiteral("2024-05-01"))},
                        {"COMM", Comment(4, QStringLiteral("A comment"))},
                        {"TCON", Text(4, QStringLiteral("Chillwave"))},
                        {"TRCK", Text(4, QStringLiteral("3/12"))},
                        {"TPE2", Text(4, QStringLiteral("Various Artists"))},
                        {"TPOS", Text(4, QStringLiteral("1/2"))},
                        {"TCOM", Text(4, QStringLiteral("A Composer"))},
                        {"APIC", Picture(4, "image/png", 0, m.png)},
                        {"APIC", Picture(4, "image/jpeg", 3, m.jpeg)}}) +
                m.mp3;
     },
     [](const Media& m) {
         return Tags{{"title", Utf8("Zoë’s Song")},
                     {"artist", Utf8("Ünïcødé Artist")},
                     {"album", Utf8("Album ★")},
                     {"year", "2024"},
                     {"comment", "A comment"},
                     {"genre", "Chillwave"},
                     {"track", "3"},
                     {"wm_track", "3"},
                     {"album_artist", "Various Artists"},
                     {"disc", "1/2"},
                     {"composer", "A Composer"},
                     {"picture", PictureOf(m.jpeg)}};
     }},
    {"V23Utf16WinsOverADisagreeingV1FieldByField", "mp3",
     [](const Media& m, const QString& folder) {
         return Tag(3, {{"TIT2", Text(3, QStringLiteral("Ünïcødé Title"))},
                        {"TPE1", Text(3, QStringLiteral("v2 Artist"))},
                        {"TYER", Text(3, QStringLiteral("1999"))},
                        {"TCON", Text(3, QStringLiteral("(17)"))},
                        {"TRCK", Text(3, QStringLiteral("5"))}}) +
                m.mp3 +
                V1({"v1 Title", "v1 Artist", "v1 Album", "1980", "v1 comment", 8, 9}, folder);
     },
     [](const Media&) {
         return Tags{{"title", Utf8("Ünïcødé Title")},
                     {"artist", "v2 Artist"},
                     {"album", "v1 Album"},
                     {"year", "1999"},
                     {"comment", "v1 comment"},
                     {"genre", "Rock"},
                     {"genre_id", "17"},
                     {"track", "5"},
                     {"wm_track", "5"}};
     }},
    {"V22FramesAndPicture", "mp3",
     [](const Media& m, const QString&) {
         return Tag(2, {{"TT2", Text(2, QStringLiteral("Old Style"))},
                        {"TP1", Text(2, QStringLiteral("Artist 22"))},
                        {"TAL", Text(2, QStringLiteral("Album 22"))},
                        {"TYE", Text(2, QStringLiteral("1995"))},
                        {"TCO", Text(2, QStringLiteral("Jazz"))},
                        {"TRK", Text(2, QStringLiteral("07"))},
                        {"PIC", Picture(2, "JPG", 3, m.jpeg)}}) +
                m.mp3;
     },
     [](const Media& m) {
         return Tags{
             {"title", "Old Style"}, {"artist", "Artist 22"}, {"album", "Album 22"},
             {"year", "1995"},       {"genre", "Jazz"},       {"genre_id", "8"},
             {"track", "7"},         {"wm_track", "7"},       {"picture", PictureOf(m.jpeg)}};
     }},
    {"V1OnlyInWindows1252", "mp3",
     [](const Media& m, const QString& folder) {
         return m.mp3 +
                V1({"Don\x92t Stop \x80\x85", "Caf\xe9", "Album", "2001", "c", 17, 4}, folder);
     },
     [](const Media&) {
         return Tags{{"title", Utf8("Don’t Stop €…")},
                     {"artist", Utf8("Café")},
                     {"album", "Album"},
                     {"year", "2001"},
                     {"comment", "c"},
                     {"genre", "Rock"},
                     {"genre_id", "17"},
                     {"track", "4"},
                     {"wm_track", "4"}};
     }},
    {"Mp2LikeMp3", "mp2",
     [](const Media& m, const QString&) {
         return Tag(4, {{"TIT2", Text(4, QStringLiteral("Layer Two"))},
                        {"TRCK", Text(4, QStringLiteral("1"))}}) +
                m.mp2;
     },
     [](const Media&) {
         return Tags{{"title", "Layer Two"}, {"track", "1"}, {"wm_track", "1"}};
     }},
    {"V24InvalidUtf8EmbeddedNulAndOverlongTitle", "mp3",
     [](const Media& m, const QString&) {
         return Tag(4, {{"TIT2", Text(4, QString(40000, QLatin1Char('x')))},
                        {"TPE1", QByteArray("\x03One\0Two", 8)},
                        {"TALB", QByteArray("\x03"
                                            "Caf\xe9 Noir",
                                            10)},
                        {"TCOM", Text(4, QStringLiteral("Composer"))}}) +
                m.mp3;
     },
     [](const Media&) {
         // A content description text holds 32,766 UTF-16 units; TagLib reads malformed
         // UTF-8 as no text.
         return Tags{
             {"title", std::string(32766, 'x')}, {"artist", "One; Two"}, {"composer", "Composer"}};
     }},
    {"DamagedFrameTheRestCarried", "mp3",
     [](const Media& m, const QString& folder) {
         // Unknown text encodings, a picture frame too short to hold its own header.
         return Tag(3, {{"TIT2", Text(3, QStringLiteral("Before"))},
                        {"TALB", QByteArray("\x09\xff\xfe\x00\x01\x02", 6)},
                        {"COMM", QByteArray("\x07"
                                            "eng\0garbage",
                                            12)},
                        {"APIC", QByteArray("\x00image/", 7)},
                        {"TPE1", Text(3, QStringLiteral("After"))}}) +
                m.mp3 + V1({"", "", "", "", "v1 comment", 255, 0}, folder);
     },
     [](const Media&) {
         return Tags{{"title", "Before"}, {"artist", "After"}, {"comment", "v1 comment"}};
     }},
    {"FrameSizeReachingPastTheTag", "mp3",
     [](const Media& m, const QString& folder) {
         return Tag(3, {{"TIT2", Text(3, QStringLiteral("Kept"))},
                        {"TPE1", Text(3, QStringLiteral("Lost")), 0x7FFFFFF}}) +
                m.mp3 + V1({"", "v1 Artist", "v1 Album", "", "", 0, 2}, folder);
     },
     [](const Media&) {
         return Tags{{"title", "Kept"},  {"artist", "v1 Artist"}, {"album", "v1 Album"},
                     {"genre", "Blues"}, {"genre_id", "0"},       {"track", "2"},
                     {"wm_track", "2"}};
     }},
    {"V2TagLargerThanTheFile", "mp3",
     [](const Media& m, const QString& folder) {
         return Tag(3, {{"TIT2", Text(3, QStringLiteral("Claims Too Much"))}}, 200'000'000) +
                m.mp3 + V1({"v1 Title", "v1 Artist", "", "", "", 255, 0}, folder);
     },
     [](const Media&) {
         return Tags{{"title", "Claims Too Much"}, {"artist", "v1 Artist"}};
     }},
    {"PictureWithBogusMimeType", "mp3",
     [](const Media& m, const QString&) {
         return Tag(3, {{"TIT2", Text(3, QStringLiteral("Bogus MIME"))},
                        {"APIC", Picture(3, "\x01\x7f rubbish/\xff", 3, m.png)},
                        {"TPE1", Text(3, QStringLiteral("Still Here"))}}) +
                m.mp3;
     },
     [](const Media& m) {
         return Tags{
             {"title", "Bogus MIME"}, {"artist", "Still Here"}, {"picture", PictureOf(m.png)}};
     }},
    {"FiveMegabyteCover", "mp3",
     [](const Media& m, const QString&) {
         return Tag(3, {{"TIT2", Text(3, QStringLiteral("Big Cover"))},
                        {"APIC", Picture(3, "image/bmp", 3, m.bigBmp)}}) +
                m.mp3;
     },
     [](const Media& m) {
         return Tags{{"title", "Big Cover"}, {"picture", PictureOf(m.bigBmp)}};
     }},
    {"WaveWithRiffInfo", "wav",
     [](const Media& m, const QString&) {
         using id3v2bytes::Chunk;
         return id3v2bytes::WaveWith(
             m.wav,
             Chunk("LIST", QByteArray("INFO") + Chunk("INAM", Z("Wave Title")) +
                               Chunk("IART", Z("Wave Artist")) + Chunk("IPRD", Z("Wave Album")) +
                               Chunk("ICRD", Z("2003")) + Chunk("ICMT", Z("Wave comment")) +
                               Chunk("IGNR", Z("Blues")) + Chunk("IPRT", Z("2"))));
     },
     [](const Media&) {
         return Tags{{"title", "Wave Title"},
                     {"artist", "Wave Artist"},
                     {"album", "Wave Album"},
                     {"year", "2003"},
                     {"comment", "Wave comment"},
                     {"genre", "Blues"},
                     {"genre_id", "0"},
                     {"track", "2"},
                     {"wm_track", "2"}};
     }},
    {"WaveId3ChunkOverInfo", "wav",
     [](const Media& m, const QString&) {
         using id3v2bytes::Chunk;
         return id3v2bytes::WaveWith(
             m.wav, Chunk("LIST", QByteArray("INFO") + Chunk("INAM", Z("Info Title")) +
                                      Chunk("IPRD", Z("Info Album"))) +
                        Chunk("id3 ", Tag(4, {{"TIT2", Text(4, QStringLiteral("Id3 Title"))}})));
     },
     [](const Media&) {
         return Tags{{"title", "Id3 Title"}, {"album", "Info Album"}};
     }},
    {"NoTagWritesNoAttribute", "mp3", [](const Media& m, const QString&) { return m.mp3; },
     [](const Media&) { return Tags{}; }},
};

class TagCopyTest : public ::testing::TestWithParam<Case> {
public:
    static void SetUpTestSuite() {
        setProgramFolder(testsupport::BinDir());
        static QTemporaryDir dir;
        const QString folder = dir.path();
        Media& m = Made();
        // No tags of ffmpeg's own (its WAVE muxer would add a RIFF INFO list).
        const QStringList quiet{QStringLiteral("-map_metadata"), QStringLiteral("-1"),
                                QStringLiteral("-fflags"), QStringLiteral("+bitexact")};
        m.mp3 = MakeWith(folder, QStringLiteral("a.mp3"), [&](const QString& path) {
            return testsupport::MakeTone(
                path, 1.0, 44100, 2,
                quiet + QStringList{QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
                                    QStringLiteral("-id3v2_version"), QStringLiteral("0"),
                                    QStringLiteral("-write_xing"), QStringLiteral("0"),
                                    QStringLiteral("-f"), QStringLiteral("mp3")});
        });
        m.mp2 = MakeWith(folder, QStringLiteral("a.mp2"), [&](const QString& path) {
            return testsupport::MakeTone(
                path, 1.0, 44100, 2,
                quiet + QStringList{QStringLiteral("-c:a"), QStringLiteral("mp2"),
                                    QStringLiteral("-f"), QStringLiteral("mp2")});
        });
        m.wav = MakeWith(folder, QStringLiteral("a.wav"), [&](const QString& path) {
            return testsupport::MakeTone(
                path, 1.0, 44100, 2,
                quiet + QStringList{QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"),
                                    QStringLiteral("-f"), QStringLiteral("wav")});
        });
        m.wma = MakeWith(folder, QStringLiteral("a.wma"),
                         [](const QString& path) { return testsupport::MakeWma(path, 1.0); });
        m.jpeg = MakeImage(folder, QStringLiteral("a.jpg"), QStringLiteral("64x48"));
        m.png = MakeImage(folder, QStringLiteral("a.png"), QStringLiteral("32x32"));
        // About 5 MB: 24-bit pixels, uncompressed.
        m.bigBmp = MakeImage(folder, QStringLiteral("big.bmp"), QStringLiteral("1300x1300"));
    }

protected:
    void SetUp() override {
        const Media& m = Made();
        ASSERT_FALSE(m.mp3.isEmpty() || m.mp2.isEmpty() || m.wav.isEmpty() || m.wma.isEmpty() ||
                     m.jpeg.isEmpty() || m.png.isEmpty() || m.bigBmp.size() < 5'000'000);
        ASSERT_TRUE(dir_.isValid());
    }
    QString PathOf(const QString& name) const { return QDir(dir_.path()).filePath(name); }

    QTemporaryDir dir_;
};

// Only what a reader knows: ffprobe has no "WM/GenreID" or "WM/Track".
// FFmpeg's ASF demuxer reads no "WM/GenreID" or "WM/Track", and attributes only from the
// extended content description object, whose values hold at most 65,535 bytes: a larger
// picture, which goes into the metadata library object, is one it can't show.
Tags KnownToFfprobe(const Tags& expected) {
    Tags known = expected;
    known.erase("genre_id");
    known.erase("wm_track");
    if (known.count("picture") && std::stoul(known.at("picture")) > 65000)
        known.erase("picture");
    return known;
}

TEST_P(TagCopyTest, EveryReaderShowsTheCarriedTag) {
    const Case& c = GetParam();
    const QString source = PathOf(QStringLiteral("source.") + QString::fromLatin1(c.extension));
    ASSERT_TRUE(testsupport::WriteAll(source, c.source(Made(), dir_.path())));
    const QString wma = PathOf(QStringLiteral("out.wma"));
    ASSERT_TRUE(testsupport::WriteAll(wma, Made().wma));

    copyTagToWmaFile(source, wma);

    const Tags expected = c.expected(Made());
    EXPECT_EQ(tagreaders::ReadAsfWithTagLib(wma), expected) << "TagLib";
    const QString scratch = PathOf(QStringLiteral("probe"));
    ASSERT_TRUE(QDir().mkpath(scratch));
    const Tags probed = tagreaders::ReadWithFfprobe(wma, scratch);
    EXPECT_EQ(probed, KnownToFfprobe(expected)) << "ffprobe";
    // A third reader where python3-mutagen is installed (scripts/setup installs it).
    if (const auto mutagen = tagreaders::ReadAsfWithMutagen(wma)) {
        EXPECT_EQ(*mutagen, expected) << "mutagen";
    }
    // Still the audio it was.
    EXPECT_EQ(testsupport::ProbeCodecAndFormat(wma), QStringLiteral("wmav2|asf"));
}

INSTANTIATE_TEST_SUITE_P(Sources, TagCopyTest, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

// RIFF chunks by id, in file order; a repeated id keeps each.
std::multimap<QByteArray, QByteArray> Chunks(const QByteArray& wave) {
    std::multimap<QByteArray, QByteArray> chunks;
    qsizetype at = 12;
    while (at + 8 <= wave.size()) {
        const QByteArray id = wave.mid(at, 4);
        const auto size = qFromLittleEndian<quint32>(wave.constData() + at + 4);
        chunks.emplace(id, wave.mid(at + 8, size));
        at += 8 + size + (size % 2);
    }
    return chunks;
}

TEST_F(TagCopyTest, WmaTagGoesIntoTheDecodedWaveAsRiffInfo) {
    const QString source = PathOf(QStringLiteral("source.mp3"));
    ASSERT_TRUE(
        testsupport::WriteAll(source, Tag(4, {{"TIT2", Text(4, QStringLiteral("Round Trip ’€"))},
                                              {"TPE1", Text(4, QStringLiteral("Trip Artist"))},
                                              {"TALB", Text(4, QStringLiteral("Trip Album"))},
                                              {"TDRC", Text(4, QStringLiteral("2010"))},
                                              {"COMM", Comment(4, QStringLiteral("Trip comment"))},
                                              {"TCON", Text(4, QStringLiteral("Rock"))},
                                              {"TRCK", Text(4, QStringLiteral("6/9"))}}) +
                                          Made().mp3));
    const QString wma = PathOf(QStringLiteral("trip.wma"));
    ASSERT_TRUE(testsupport::WriteAll(wma, Made().wma));
    copyTagToWmaFile(source, wma);

    const QString wave = PathOf(QStringLiteral("trip.wav"));
    const mellorin::DecodeOutcome decode = mellorin::DecodeFile(
        QFile::encodeName(wma).toStdString(), QFile::encodeName(wave).toStdString());
    ASSERT_EQ(decode.kind, mellorin::DecodeOutcome::Kind::Completed) << decode.Text();
    const QByteArray decoded = ReadAll(wave);
    copyTagToWaveFile(wma, wave);
    const QByteArray tagged = ReadAll(wave);

    // The decoder's chunks byte for byte, the INFO list after them, the RIFF size updated.
    const auto before = Chunks(decoded);
    const auto after = Chunks(tagged);
    for (const char* id : {"fmt ", "fact", "data"})
        EXPECT_EQ(after.count(id) == 1 ? after.find(id)->second : QByteArray(),
                  before.count(id) == 1 ? before.find(id)->second : QByteArray())
            << id;
    EXPECT_TRUE(before.count("data") == 1 && before.count("fmt ") == 1);
    EXPECT_EQ(tagged.left(decoded.size()).mid(8), decoded.mid(8));
    EXPECT_EQ(qFromLittleEndian<quint32>(tagged.constData() + 4),
              static_cast<quint32>(tagged.size() - 8));

    const Tags expected{{"title", Utf8("Round Trip ’€")},
                        {"artist", "Trip Artist"},
                        {"album", "Trip Album"},
                        {"year", "2010"},
                        {"comment", "Trip comment"},
                        {"genre", "Rock"},
                        {"track", "6"}};
    const QString scratch = PathOf(QStringLiteral("probe"));
    ASSERT_TRUE(QDir().mkpath(scratch));
    EXPECT_EQ(tagreaders::ReadWithFfprobe(wave, scratch), expected) << "ffprobe";
    TagLib::RIFF::WAV::File file(QFile::encodeName(wave).constData(), false);
    ASSERT_TRUE(file.isValid() && file.hasInfoTag());
    const TagLib::RIFF::Info::Tag& info = *file.InfoTag();
    const Tags read{{"title", info.fieldText("INAM").to8Bit(true)},
                    {"artist", info.fieldText("IART").to8Bit(true)},
                    {"album", info.fieldText("IPRD").to8Bit(true)},
                    {"year", info.fieldText("ICRD").to8Bit(true)},
                    {"comment", info.fieldText("ICMT").to8Bit(true)},
                    {"genre", info.fieldText("IGNR").to8Bit(true)},
                    {"track", info.fieldText("IPRT").to8Bit(true)}};
    EXPECT_EQ(read, expected) << "TagLib";
    EXPECT_TRUE(testsupport::RunFfmpeg({QStringLiteral("-i"), wave, QStringLiteral("-f"),
                                        QStringLiteral("null"), QStringLiteral("-")}));
}

}  // namespace
