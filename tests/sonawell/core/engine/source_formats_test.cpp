// Every source format the table takes, through the real engine: made by the ffmpeg tool with a
// tag and a cover, converted, and the output read back by TagLib and ffprobe.

#include "engine_rig.h"

#include "../id3/tag_readers.h"
#include "support/tool_process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/oggfile.h>
#include <taglib/opusfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <memory>

using namespace enginetest;

namespace {

const QString kWmaOutput = QStringLiteral("wmav2|asf");
constexpr double kSeconds = 1.5;

// What the sources are tagged with, through TagLib's names for every format, and what every
// output must carry.
const std::pair<const char*, const char*> kTags[] = {
    {"TITLE", "Caf\xc3\xa9 Title"},  {"ARTIST", "The Artist"}, {"ALBUM", "The Album"},
    {"ALBUMARTIST", "Album Artist"}, {"DATE", "1999"},         {"TRACKNUMBER", "3/12"},
    {"DISCNUMBER", "1/2"},           {"GENRE", "Jazz"},        {"COMPOSER", "The Composer"},
    {"COMMENT", "A comment"},
};

struct FormatRow {
    const char* what;
    const char* file;
    QStringList codec;  // ffmpeg's output options
    // The cover as ffmpeg's attached picture; else written with TagLib as a Vorbis comment
    // picture where `xiph`, or none.
    bool attachedCover;
    bool xiph;
    // A second artist added as a second value of the field.
    bool twoArtists;
};

QStringList Args(std::initializer_list<const char*> args) {
    QStringList list;
    for (const char* arg : args)
        list << QString::fromLatin1(arg);
    return list;
}

class SourceFormats : public DriverTest {
protected:
    QByteArray Cover() {
        const QString png = path(QStringLiteral("cover.png"));
        if (!QFile::exists(png)) {
            EXPECT_TRUE(testsupport::RunFfmpeg(
                Args({"-f", "lavfi", "-i", "color=c=red:s=16x16", "-frames:v", "1", "-c:v", "png"})
                << png));
        }
        return ReadAll(png);
    }

    QString MakeSource(const FormatRow& row) {
        const QByteArray cover = Cover();
        const QString source = path(QString::fromLatin1(row.file));
        QStringList args = Args({"-f", "lavfi", "-i"});
        args << QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(kSeconds);
        if (row.attachedCover)
            args << QStringLiteral("-i") << path(QStringLiteral("cover.png"))
                 << Args({"-map", "0:a", "-map", "1:v", "-c:v", "copy", "-disposition:v",
                          "attached_pic", "-metadata:s:v", "comment=Cover (front)"});
        args << Args({"-ac", "2", "-map_metadata", "-1"}) << row.codec << source;
        EXPECT_TRUE(testsupport::RunFfmpeg(args)) << row.what;
        {
            // Closed before the file is opened again: two TagLib handles on one Ogg file
            // that is being written lose its last pages.
            TagLib::FileRef file(QFile::encodeName(source).constData(), false);
            EXPECT_FALSE(file.isNull()) << row.what;
            if (file.isNull())
                return source;
            TagLib::PropertyMap tags;
            for (const auto& [key, value] : kTags)
                tags.insert(key, TagLib::String(value, TagLib::String::UTF8));
            if (row.twoArtists)
                tags["ARTIST"].append("Second Artist");
            EXPECT_TRUE(file.file()->setProperties(tags).isEmpty()) << row.what;
            EXPECT_TRUE(file.save()) << row.what;
        }
        if (row.xiph)
            AddVorbisCommentCover(source, row, cover);
        return source;
    }

    static void AddVorbisCommentCover(const QString& source, const FormatRow& row,
                                      const QByteArray& cover) {
        const QByteArray name = QFile::encodeName(source);
        std::unique_ptr<TagLib::File> file;
        TagLib::Ogg::XiphComment* comments = nullptr;
        if (source.endsWith(QLatin1String(".flac"))) {
            auto flac = std::make_unique<TagLib::FLAC::File>(name.constData());
            comments = flac->xiphComment(true);
            file = std::move(flac);
        } else if (source.endsWith(QLatin1String(".opus"))) {
            auto opus = std::make_unique<TagLib::Ogg::Opus::File>(name.constData());
            comments = opus->tag();
            file = std::move(opus);
        } else {
            auto vorbis = std::make_unique<TagLib::Ogg::Vorbis::File>(name.constData());
            comments = vorbis->tag();
            file = std::move(vorbis);
        }
        ASSERT_TRUE(file->isValid() && comments != nullptr) << row.what;
        auto picture = std::make_unique<TagLib::FLAC::Picture>();
        picture->setType(TagLib::FLAC::Picture::FrontCover);
        picture->setMimeType("image/png");
        picture->setData(TagLib::ByteVector(cover.constData(), cover.size()));
        comments->addPicture(picture.release());
        ASSERT_TRUE(file->save()) << row.what;
    }

    void ExpectTags(const tagreaders::Tags& tags, bool twoArtists, bool cover) {
        EXPECT_EQ(tags.count("error"), 0u) << tags.begin()->second;
        const auto at = [&tags](const char* key) {
            const auto it = tags.find(key);
            return it == tags.end() ? std::string("<none>") : it->second;
        };
        EXPECT_EQ(at("title"), "Caf\xc3\xa9 Title");
        EXPECT_EQ(at("artist"), twoArtists ? "The Artist; Second Artist" : "The Artist");
        EXPECT_EQ(at("album"), "The Album");
        EXPECT_EQ(at("album_artist"), "Album Artist");
        EXPECT_EQ(at("year"), "1999");
        EXPECT_EQ(at("track"), "3");
        EXPECT_EQ(at("disc"), "1/2");
        EXPECT_EQ(at("genre"), "Jazz");
        EXPECT_EQ(at("composer"), "The Composer");
        EXPECT_EQ(at("comment"), "A comment");
        if (cover) {
            EXPECT_EQ(at("picture"), tagreaders::PictureKey(Cover()).toStdString());
        }
    }
};

TEST_F(SourceFormats, EveryFormatBecomesATaggedWmaOfTheSameLength) {
    const std::vector<FormatRow> rows = {
        {"FLAC", "a.flac", Args({"-c:a", "flac"}), true, false, true},
        {"Ogg Vorbis", "b.ogg", Args({"-c:a", "libvorbis"}), false, true, true},
        {"Opus", "c.opus", Args({"-c:a", "libopus"}), false, true, true},
        {"AAC in MP4", "d.m4a", Args({"-c:a", "aac"}), true, false, true},
        {"ALAC in MP4", "e.m4a", Args({"-c:a", "alac"}), true, false, false},
        {"AIFF", "f.aiff", Args({"-c:a", "pcm_s16be", "-write_id3v2", "1"}), true, false, true},
        {"WavPack", "g.wv", Args({"-c:a", "wavpack"}), false, false, true},
        {"MP3", "h.mp3", Args({"-c:a", "libmp3lame", "-id3v2_version", "3"}), true, false, true},
        {"WMA with a profile chosen for it", "i.wma", Args({"-c:a", "wmav2"}), false, false, false},
    };
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("out")));
    for (const FormatRow& row : rows) {
        const QString source = MakeSource(row);
        AddJob(source, path(QStringLiteral("out/") + QString::fromLatin1(row.file).left(1) +
                            QStringLiteral(".wma")));
    }
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle(300000));
    for (int row = 1; row <= static_cast<int>(rows.size()); ++row) {
        const FormatRow& format = rows[static_cast<size_t>(row - 1)];
        SCOPED_TRACE(format.what);
        const QString output = jobs_.at(row).output;
        ExpectCompleted(row);
        ExpectLength(output, kSeconds, kWmaOutput);
        ExpectTags(tagreaders::ReadAsfWithTagLib(output), format.twoArtists,
                   format.attachedCover || format.xiph);
        const tagreaders::Tags probed = tagreaders::ReadWithFfprobe(output, dir_.path());
        EXPECT_EQ(probed.count("title") ? probed.at("title") : "", "Caf\xc3\xa9 Title");
        EXPECT_EQ(probed.count("album") ? probed.at("album") : "", "The Album");
    }
    EXPECT_TRUE(prompt_.messages.isEmpty());
}

}  // namespace

namespace {

// The samples a file decodes to, as "<bytes>:<sha1>".
QString Pcm(const QString& file) {
    const testsupport::ToolRun run = testsupport::RunProgram(
        QStringLiteral("ffmpeg"), Args({"-v", "error", "-i"})
                                      << file << Args({"-f", "s16le", "-ac", "2", "-"}));
    return run.exitCode == 0 ? tagreaders::PictureKey(run.out) : QStringLiteral("ffmpeg failed");
}

// A tagged WMA, itself made by the engine from a tagged FLAC, decodes to a FLAC that holds the
// same samples, the tag as Vorbis comments (both artists kept) and the cover as a picture.
TEST_F(SourceFormats, AWmaBecomesALosslessTaggedFlac) {
    const FormatRow row{"FLAC", "a.flac", Args({"-c:a", "flac"}), true, false, true};
    const QString source = MakeSource(row);
    const QString wma = path(QStringLiteral("a.wma"));
    const QString flac = path(QStringLiteral("again.flac"));
    AddJob(source, wma);
    AddJob(wma, flac, QStringLiteral("WMA to FLAC"));
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    ExpectCompleted(1);
    ExpectCompleted(2);
    ExpectLength(flac, kSeconds, QStringLiteral("flac|flac"));
    EXPECT_EQ(Pcm(flac), Pcm(wma));

    TagLib::FLAC::File file(QFile::encodeName(flac).constData());
    ASSERT_TRUE(file.isValid());
    const TagLib::PropertyMap tags = file.properties();
    const auto value = [&tags](const char* key) {
        const auto it = tags.find(key);
        return it == tags.end() ? std::string("<none>") : it->second.toString(" | ").to8Bit(true);
    };
    EXPECT_EQ(value("TITLE"), "Caf\xc3\xa9 Title");
    EXPECT_EQ(value("ARTIST"), "The Artist | Second Artist");
    EXPECT_EQ(value("ALBUM"), "The Album");
    EXPECT_EQ(value("ALBUMARTIST"), "Album Artist");
    EXPECT_EQ(value("DATE"), "1999");
    EXPECT_EQ(value("TRACKNUMBER"), "3");
    EXPECT_EQ(value("TRACKTOTAL"), "12");
    EXPECT_EQ(value("DISCNUMBER"), "1");
    EXPECT_EQ(value("DISCTOTAL"), "2");
    EXPECT_EQ(value("GENRE"), "Jazz");
    EXPECT_EQ(value("COMPOSER"), "The Composer");
    EXPECT_EQ(value("COMMENT"), "A comment");
    const TagLib::List<TagLib::FLAC::Picture*> pictures = file.pictureList();
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures.front()->type(), TagLib::FLAC::Picture::FrontCover);
    const TagLib::ByteVector image = pictures.front()->data();
    EXPECT_EQ(QByteArray(image.data(), image.size()), Cover());
    EXPECT_EQ(FolderEntries(TempFolder()), QStringList());
}

// The header of a WMA with a content-encryption object, as a licence-bound file has it.
QByteArray Protected(const QByteArray& wma) {
    const QByteArray guid = QByteArray::fromHex("fbb3112223bdd211b4b700c04fb0db7c");
    QByteArray object = guid;
    QByteArray body;
    const auto le32 = [](quint32 v) {
        QByteArray b(4, '\0');
        for (int i = 0; i < 4; ++i)
            b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return b;
    };
    body += le32(0) + le32(4) + QByteArray("DRM\0", 4) + le32(0) + le32(0);
    const quint64 size = 24 + body.size();
    for (int i = 0; i < 8; ++i)
        object += static_cast<char>((size >> (8 * i)) & 0xFF);
    object += body;
    QByteArray out = wma;
    quint64 headerSize = 0;
    for (int i = 7; i >= 0; --i)
        headerSize = (headerSize << 8) | static_cast<unsigned char>(out[16 + i]);
    headerSize += size;
    for (int i = 0; i < 8; ++i)
        out[16 + i] = static_cast<char>((headerSize >> (8 * i)) & 0xFF);
    out[24] = static_cast<char>(static_cast<unsigned char>(out[24]) + 1);
    out.insert(30, object);
    return out;
}

TEST_F(SourceFormats, AProtectedWmaFailsAsProtected) {
    const QString locked = path(QStringLiteral("locked.wma"));
    ASSERT_TRUE(WriteAll(locked, Protected(ReadAll(Wma(QStringLiteral("plain.wma"))))));
    AddJob(locked, path(QStringLiteral("locked.wav")), kWave);
    AddJob(locked, path(QStringLiteral("locked.flac")), QStringLiteral("WMA to FLAC"));
    AddJob(locked, path(QStringLiteral("locked-again.wma")));
    driver_.start();
    ASSERT_TRUE(WaitUntilIdle());
    for (int row = 1; row <= 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Status(row), QStringLiteral("Failed: protected (DRM): can't be converted"));
        EXPECT_FALSE(QFileInfo::exists(jobs_.at(row).output));
    }
}

}  // namespace
