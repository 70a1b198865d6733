#include <dlfcn.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <optional>

#include <gtest/gtest.h>
#include <taglib/asffile.h>
#include <taglib/asfpicture.h>
#include <taglib/asftag.h>

#include "id3prop/asf_attribute_writer.h"
#include "id3prop/id3prop.h"
#include "id3prop/scratch_copy.h"
#include "support/audio_fixtures.h"
#include "support/file_fixtures.h"

namespace {

struct Writer {
    const char* label;
    SetID3PropertyStringFn setString;
    SetID3PropertyDWORDFn setDword;
    SetID3PropertyPictureFn setPicture;
};

int32_t CoreString(const char* file, const char* name, const char* value) {
    return id3prop::WriteAsfAttribute(file, name, std::string(value));
}
int32_t CoreDword(const char* file, const char* name, uint32_t value) {
    return id3prop::WriteAsfAttribute(file, name, value);
}
int32_t CorePicture(const char* file, const char* name, const char* mimeType, uint32_t type,
                    const char* description, const void* data, uint32_t size) {
    return id3prop::WriteAsfAttribute(
        file, name,
        id3prop::Picture{mimeType, type, description,
                         std::string(static_cast<const char*>(data), size)});
}

QString LibraryPath() {
    return QDir(testsupport::BinDir()).filePath(QStringLiteral(ID3PROP_LIBRARY_NAME));
}

struct DlCloser {
    void operator()(void* handle) const { dlclose(handle); }
};

// The built library, loaded as the program loads it: by path, entry points by name.
const Writer& LoadedLibrary() {
    static const std::unique_ptr<void, DlCloser> handle(
        dlopen(QFile::encodeName(LibraryPath()).constData(), RTLD_NOW | RTLD_LOCAL));
    static const Writer writer{
        "libid3prop.so",
        handle
            ? reinterpret_cast<SetID3PropertyStringFn>(dlsym(handle.get(), "SetID3PropertyString"))
            : nullptr,
        handle ? reinterpret_cast<SetID3PropertyDWORDFn>(dlsym(handle.get(), "SetID3PropertyDWORD"))
               : nullptr,
        handle ? reinterpret_cast<SetID3PropertyPictureFn>(
                     dlsym(handle.get(), "SetID3PropertyPicture"))
               : nullptr};
    return writer;
}

using testsupport::ReadAll;

// "TAG:key=value" lines of ffprobe's format section, as a map.
std::map<QString, QString> ProbeTags(const QString& path) {
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                 QStringLiteral("format_tags"), QStringLiteral("-of"),
                 QStringLiteral("default=nw=1"), path});
    std::map<QString, QString> tags;
    if (!probe.waitForFinished(60000) || probe.exitCode() != 0)
        return tags;
    const QString out = QString::fromUtf8(probe.readAllStandardOutput());
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QStringLiteral("TAG:")) && eq > 4)
            tags[line.mid(4, eq - 4)] = line.mid(eq + 1);
    }
    return tags;
}

std::string Utf8(const TagLib::String& text) {
    return text.to8Bit(true);
}

struct ReadBack {
    bool valid = false;
    std::string title, artist, comment;
    TagLib::ASF::AttributeListMap attributes;
};

ReadBack ReadAsf(const QString& path) {
    TagLib::ASF::File file(QFile::encodeName(path).constData());
    ReadBack back;
    back.valid = file.isValid();
    if (!back.valid)
        return back;
    back.title = Utf8(file.tag()->title());
    back.artist = Utf8(file.tag()->artist());
    back.comment = Utf8(file.tag()->comment());
    back.attributes = file.tag()->attributeListMap();
    return back;
}

std::optional<TagLib::ASF::Attribute> OnlyAttribute(const ReadBack& back, const char* name) {
    const auto it = back.attributes.find(name);
    if (it == back.attributes.end() || it->second.size() != 1)
        return std::nullopt;
    return it->second.front();
}

class Id3PropTest : public ::testing::TestWithParam<Writer> {
protected:
    void SetUp() override {
        ASSERT_TRUE(GetParam().setString != nullptr && GetParam().setDword != nullptr &&
                    GetParam().setPicture != nullptr)
            << "could not load " << LibraryPath().toStdString() << ": " << dlerror();
        ASSERT_TRUE(m_dir.isValid());
    }
    QString PathOf(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    QString MakeWma(const QString& name) {
        const QString path = PathOf(name);
        EXPECT_TRUE(testsupport::MakeWma(path, 1.0));
        return path;
    }
    int32_t SetString(const QString& file, const char* name, const char* value) const {
        return GetParam().setString(QFile::encodeName(file).constData(), name, value);
    }
    int32_t SetDword(const QString& file, const char* name, uint32_t value) const {
        return GetParam().setDword(QFile::encodeName(file).constData(), name, value);
    }
    int32_t SetPicture(const QString& file, const char* name, const char* mimeType,
                       const QByteArray& image) const {
        return GetParam().setPicture(QFile::encodeName(file).constData(), name, mimeType, 3,
                                     "Front", image.constData(),
                                     static_cast<uint32_t>(image.size()));
    }
    QStringList FolderEntries() const {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_dir;
};

TEST_P(Id3PropTest, TheSevenTagAttributesRoundTrip) {
    const QString wma = MakeWma(QStringLiteral("song.wma"));
    const std::optional<double> duration = testsupport::ProbeDuration(wma);
    ASSERT_TRUE(duration.has_value());

    // The calls a tag copy makes, in its order.
    EXPECT_EQ(SetString(wma, "Author", "The Artist"), ID3PROP_S_OK);
    EXPECT_EQ(SetString(wma, "Title", "The Title"), ID3PROP_S_OK);
    EXPECT_EQ(SetString(wma, "WM/AlbumTitle", "The Album"), ID3PROP_S_OK);
    EXPECT_EQ(SetString(wma, "WM/Year", "1999"), ID3PROP_S_OK);
    EXPECT_EQ(SetString(wma, "Description", "The Comment"), ID3PROP_S_OK);
    EXPECT_EQ(SetString(wma, "WM/GenreID", "17"), ID3PROP_S_OK);
    EXPECT_EQ(SetDword(wma, "WM/Track", 7), ID3PROP_S_OK);

    const ReadBack back = ReadAsf(wma);
    ASSERT_TRUE(back.valid);
    EXPECT_EQ(back.title, "The Title");
    EXPECT_EQ(back.artist, "The Artist");
    EXPECT_EQ(back.comment, "The Comment");
    const struct {
        const char* name;
        const char* text;
    } strings[] = {{"WM/AlbumTitle", "The Album"}, {"WM/Year", "1999"}, {"WM/GenreID", "17"}};
    for (const auto& s : strings) {
        const auto attribute = OnlyAttribute(back, s.name);
        ASSERT_TRUE(attribute.has_value()) << s.name;
        EXPECT_EQ(attribute->type(), TagLib::ASF::Attribute::UnicodeType) << s.name;
        EXPECT_EQ(Utf8(attribute->toString()), s.text) << s.name;
    }
    const auto track = OnlyAttribute(back, "WM/Track");
    ASSERT_TRUE(track.has_value());
    EXPECT_EQ(track->type(), TagLib::ASF::Attribute::DWordType);
    EXPECT_EQ(track->toUInt(), 7u);
    // The content description fields are not duplicated as extended attributes.
    EXPECT_EQ(back.attributes.find("Title"), back.attributes.end());
    EXPECT_EQ(back.attributes.find("Author"), back.attributes.end());

    const auto tags = ProbeTags(wma);
    EXPECT_EQ(tags.count(QStringLiteral("title")) ? tags.at(QStringLiteral("title")) : QString(),
              QStringLiteral("The Title"));
    EXPECT_EQ(tags.count(QStringLiteral("artist")) ? tags.at(QStringLiteral("artist")) : QString(),
              QStringLiteral("The Artist"));
    EXPECT_EQ(
        tags.count(QStringLiteral("comment")) ? tags.at(QStringLiteral("comment")) : QString(),
        QStringLiteral("The Comment"));

    // Still a WMA that decodes to the same length.
    EXPECT_EQ(testsupport::ProbeCodecAndFormat(wma), QStringLiteral("wmav2|asf"));
    const std::optional<double> after = testsupport::ProbeDuration(wma);
    ASSERT_TRUE(after.has_value());
    EXPECT_DOUBLE_EQ(*after, *duration);
    EXPECT_TRUE(testsupport::RunFfmpeg({QStringLiteral("-i"), wma, QStringLiteral("-f"),
                                        QStringLiteral("null"), QStringLiteral("-")}));
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("song.wma")});
}

TEST_P(Id3PropTest, NonAsciiTextRoundTrips) {
    const QString wma = MakeWma(QStringLiteral("Zoë.wma"));  // a UTF-8 path too
    const char* text = "Zoë – Ünïcødé";
    EXPECT_EQ(SetString(wma, "Title", text), ID3PROP_S_OK);
    EXPECT_EQ(SetString(wma, "WM/AlbumTitle", text), ID3PROP_S_OK);
    const ReadBack back = ReadAsf(wma);
    EXPECT_EQ(back.title, text);
    const auto album = OnlyAttribute(back, "WM/AlbumTitle");
    ASSERT_TRUE(album.has_value());
    EXPECT_EQ(Utf8(album->toString()), text);
    EXPECT_EQ(ProbeTags(wma)[QStringLiteral("title")], QString::fromUtf8(text));
}

// A content description text has a 16-bit byte count: a longer one used to overrun into the
// fields after it.
TEST_P(Id3PropTest, OverlongTextIsCutAtACharacterBoundaryAndTouchesNothingElse) {
    const QString wma = MakeWma(QStringLiteral("long.wma"));
    ASSERT_EQ(SetString(wma, "Author", "Kept Artist"), ID3PROP_S_OK);
    ASSERT_EQ(SetString(wma, "Description", "Kept Comment"), ID3PROP_S_OK);
    const std::string fits(32766, 'y');
    const std::string music = "\xf0\x9f\x8e\xb5";  // two UTF-16 units
    const struct {
        const char* label;
        std::string title;
        int32_t result;
        std::string readBack;
    } rows[] = {
        {"40,000 characters", std::string(40000, 'x'), ID3PROP_S_TRUNCATED,
         std::string(32766, 'x')},
        {"a pair that would be split", std::string(32765, 'z') + music + "z", ID3PROP_S_TRUNCATED,
         std::string(32765, 'z')},
        {"exactly what fits", fits, ID3PROP_S_OK, fits},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(SetString(wma, "Title", row.title.c_str()), row.result);
        const ReadBack back = ReadAsf(wma);
        EXPECT_EQ(back.title, row.readBack);
        EXPECT_EQ(back.artist, "Kept Artist");
        EXPECT_EQ(back.comment, "Kept Comment");
        auto tags = ProbeTags(wma);
        EXPECT_EQ(tags[QStringLiteral("title")].toStdString(), row.readBack);
        EXPECT_EQ(tags[QStringLiteral("artist")], QStringLiteral("Kept Artist"));
        EXPECT_EQ(tags[QStringLiteral("comment")], QStringLiteral("Kept Comment"));
    }
    // Extended attributes have room: a long one is kept whole.
    EXPECT_EQ(SetString(wma, "WM/AlbumTitle", std::string(40000, 'a').c_str()), ID3PROP_S_OK);
    const auto album = OnlyAttribute(ReadAsf(wma), "WM/AlbumTitle");
    ASSERT_TRUE(album.has_value());
    EXPECT_EQ(Utf8(album->toString()), std::string(40000, 'a'));
    EXPECT_EQ(SetDword(wma, std::string(32767, 'n').c_str(), 1), ID3PROP_E_INVALIDARG);
}

TEST_P(Id3PropTest, PicturesRoundTripByteForByte) {
    const QString wma = MakeWma(QStringLiteral("cover.wma"));
    QByteArray small("\x89PNG\r\n\x1a\n");
    small += QByteArray(1000, '\x42');
    // Beyond the 64 KiB an extended content description value holds.
    QByteArray large("\xff\xd8\xff\xe0");
    for (int i = 0; large.size() < 300000; ++i)
        large += static_cast<char>(i * 7);
    for (const auto& [mime, image] :
         {std::pair{"image/png", small}, std::pair{"image/jpeg", large}}) {
        SCOPED_TRACE(mime);
        ASSERT_EQ(SetPicture(wma, "WM/Picture", mime, image), ID3PROP_S_OK);
        const auto attribute = OnlyAttribute(ReadAsf(wma), "WM/Picture");
        ASSERT_TRUE(attribute.has_value());
        const TagLib::ASF::Picture picture = attribute->toPicture();
        EXPECT_EQ(Utf8(picture.mimeType()), mime);
        EXPECT_EQ(picture.type(), TagLib::ASF::Picture::FrontCover);
        EXPECT_EQ(Utf8(picture.description()), "Front");
        EXPECT_EQ(QByteArray(picture.picture().data(), picture.picture().size()), image);
    }
    const QByteArray before = ReadAll(wma);
    EXPECT_EQ(SetPicture(wma, "WM/Picture", "", small), ID3PROP_E_INVALIDARG);
    EXPECT_EQ(SetPicture(wma, "WM/Picture", "image/png", QByteArray()), ID3PROP_E_INVALIDARG);
    EXPECT_EQ(SetPicture(wma, "Title", "image/png", small), ID3PROP_E_INVALIDARG);
    EXPECT_EQ(ReadAll(wma), before);
}

TEST_P(Id3PropTest, WritingAgainReplacesTheValue) {
    const QString wma = MakeWma(QStringLiteral("again.wma"));
    EXPECT_EQ(SetString(wma, "Title", "Old"), ID3PROP_S_OK);
    EXPECT_EQ(SetDword(wma, "WM/Track", 1), ID3PROP_S_OK);
    EXPECT_EQ(SetString(wma, "Title", ""), ID3PROP_S_OK);
    EXPECT_EQ(SetDword(wma, "WM/Track", 255), ID3PROP_S_OK);
    const ReadBack back = ReadAsf(wma);
    EXPECT_EQ(back.title, "");
    const auto track = OnlyAttribute(back, "WM/Track");
    ASSERT_TRUE(track.has_value());
    EXPECT_EQ(track->toUInt(), 255u);
}

TEST_P(Id3PropTest, NonAsfFilesAreRefusedAndLeftAlone) {
    const QString mp3 = PathOf(QStringLiteral("song.mp3"));
    ASSERT_TRUE(testsupport::MakeMp3(mp3, 0.5));
    const QString text = PathOf(QStringLiteral("notes.txt"));
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("just some words\n");
    }
    for (const QString& path : {mp3, text}) {
        const QByteArray before = ReadAll(path);
        ASSERT_FALSE(before.isEmpty());
        EXPECT_EQ(SetString(path, "Title", "x"), ID3PROP_E_INVALIDARG) << path.toStdString();
        EXPECT_EQ(SetDword(path, "WM/Track", 3), ID3PROP_E_INVALIDARG) << path.toStdString();
        EXPECT_EQ(ReadAll(path), before) << path.toStdString();
    }
    EXPECT_EQ(FolderEntries().size(), 2);  // no copy left behind
}

TEST_P(Id3PropTest, MissingFileOrFolderIsRefused) {
    const QString missing = PathOf(QStringLiteral("missing.wma"));
    EXPECT_LT(SetString(missing, "Title", "x"), 0);
    EXPECT_LT(SetDword(missing, "WM/Track", 1), 0);
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_LT(SetString(m_dir.path(), "Title", "x"), 0);
    EXPECT_LT(SetString(QString(), "Title", "x"), 0);
}

TEST_P(Id3PropTest, ReadOnlyWmaIsLeftAlone) {
    const QString wma = MakeWma(QStringLiteral("locked.wma"));
    ASSERT_TRUE(QFile::setPermissions(wma, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const QByteArray before = ReadAll(wma);
    EXPECT_EQ(SetString(wma, "Title", "x"), ID3PROP_E_FAIL);
    EXPECT_EQ(SetDword(wma, "WM/Track", 1), ID3PROP_E_FAIL);
    EXPECT_EQ(ReadAll(wma), before);
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("locked.wma")});
}

TEST_P(Id3PropTest, PermissionsAndLinksSurviveAWrite) {
    const QString wma = MakeWma(QStringLiteral("target.wma"));
    ASSERT_TRUE(QFile::setPermissions(
        wma, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const QFileDevice::Permissions mode = QFile::permissions(wma);
    const QString link = PathOf(QStringLiteral("link.wma"));
    ASSERT_TRUE(QFile::link(wma, link));

    EXPECT_EQ(SetString(link, "Title", "Through the link"), ID3PROP_S_OK);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadAsf(wma).title, "Through the link");
    EXPECT_EQ(QFile::permissions(wma), mode);
}

TEST_P(Id3PropTest, EmptyAttributeNameIsRefused) {
    const QString wma = MakeWma(QStringLiteral("noname.wma"));
    const QByteArray before = ReadAll(wma);
    EXPECT_EQ(SetString(wma, "", "x"), ID3PROP_E_INVALIDARG);
    EXPECT_EQ(ReadAll(wma), before);
}

TEST_P(Id3PropTest, MalformedUtf8IsRefusedInsteadOfStoredEmpty) {
    const QString wma = MakeWma(QStringLiteral("latin1.wma"));
    const QByteArray before = ReadAll(wma);
    EXPECT_EQ(SetString(wma, "Title", "Caf\xe9"), ID3PROP_E_INVALIDARG);  // Latin-1, not UTF-8
    EXPECT_EQ(SetString(wma, "WM/AlbumTitle", "\xc0\xaf"), ID3PROP_E_INVALIDARG);  // overlong
    EXPECT_EQ(SetString(wma, "WM/Year", "\xed\xa0\x80"), ID3PROP_E_INVALIDARG);    // surrogate
    EXPECT_EQ(SetString(wma, "WM/Year", "\xf0\x9f\x8e"), ID3PROP_E_INVALIDARG);    // cut short
    EXPECT_EQ(SetDword(wma, "WM/\xff", 1), ID3PROP_E_INVALIDARG);
    EXPECT_EQ(ReadAll(wma), before);
    // Four-byte sequences are fine.
    EXPECT_EQ(SetString(wma, "WM/AlbumTitle", "\xf0\x9f\x8e\xb5 Music"), ID3PROP_S_OK);
    const auto album = OnlyAttribute(ReadAsf(wma), "WM/AlbumTitle");
    ASSERT_TRUE(album.has_value());
    EXPECT_EQ(Utf8(album->toString()), "\xf0\x9f\x8e\xb5 Music");
}

TEST_P(Id3PropTest, TruncatedWmaIsRefusedAndLeftAlone) {
    const QString wma = MakeWma(QStringLiteral("cut.wma"));
    QByteArray bytes = ReadAll(wma);
    bytes.truncate(200);  // the header object claims more than the file holds
    {
        QFile file(wma);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    EXPECT_LT(SetString(wma, "Title", "x"), 0);
    EXPECT_EQ(ReadAll(wma), bytes);
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("cut.wma")});
}

INSTANTIATE_TEST_SUITE_P(
    BothBuilds, Id3PropTest,
    ::testing::Values(Writer{"id3prop-core", CoreString, CoreDword, CorePicture}, LoadedLibrary()),
    [](const auto& p) { return std::string(p.index == 0 ? "StaticCore" : "SharedLibrary"); });

TEST(Id3PropLibraryTest, NullArgumentsGiveEPointer) {
    const Writer& lib = LoadedLibrary();
    ASSERT_TRUE(lib.setString != nullptr && lib.setDword != nullptr);
    EXPECT_EQ(lib.setString(nullptr, "Title", "x"), ID3PROP_E_POINTER);
    EXPECT_EQ(lib.setString("/tmp/x.wma", nullptr, "x"), ID3PROP_E_POINTER);
    EXPECT_EQ(lib.setString("/tmp/x.wma", "Title", nullptr), ID3PROP_E_POINTER);
    EXPECT_EQ(lib.setDword(nullptr, "WM/Track", 1), ID3PROP_E_POINTER);
    EXPECT_EQ(lib.setDword("/tmp/x.wma", nullptr, 1), ID3PROP_E_POINTER);
    ASSERT_TRUE(lib.setPicture != nullptr);
    EXPECT_EQ(lib.setPicture("/tmp/x.wma", "WM/Picture", "image/png", 3, "", nullptr, 1),
              ID3PROP_E_POINTER);
    EXPECT_EQ(lib.setPicture("/tmp/x.wma", "WM/Picture", nullptr, 3, "", "x", 1),
              ID3PROP_E_POINTER);
    EXPECT_EQ(ID3PROP_E_POINTER, static_cast<int32_t>(0x80004003));
    EXPECT_LT(ID3PROP_E_INVALIDARG, 0);
}

TEST(Id3PropLibraryTest, ExportsExactlyItsEntryPoints) {
    QProcess nm;
    nm.start(QStringLiteral("nm"),
             {QStringLiteral("-D"), QStringLiteral("--defined-only"), LibraryPath()});
    ASSERT_TRUE(nm.waitForFinished(60000));
    ASSERT_EQ(nm.exitCode(), 0);
    QStringList names;
    const QString out = QString::fromUtf8(nm.readAllStandardOutput());
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        names << line.split(QLatin1Char(' '), Qt::SkipEmptyParts).last();
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("SetID3PropertyDWORD"),
                                  QStringLiteral("SetID3PropertyPicture"),
                                  QStringLiteral("SetID3PropertyString")}));
}

TEST(ScratchCopyTest, ReplacesTheOriginalOnlyWhenAsked) {
    QTemporaryDir dir;
    const QString original = QDir(dir.path()).filePath(QStringLiteral("file.bin"));
    {
        QFile file(original);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(200000, 'a'));  // more than one copy buffer
    }
    const std::string path = QFile::encodeName(original).toStdString();
    {
        id3prop::ScratchCopy copy(path);
        ASSERT_TRUE(copy.IsReady());
        EXPECT_EQ(ReadAll(QFile::decodeName(copy.Path().c_str())), QByteArray(200000, 'a'));
        QFile scratch(QFile::decodeName(copy.Path().c_str()));
        ASSERT_TRUE(scratch.open(QIODevice::Append));
        scratch.write("b");
    }
    // Dropped without Replace(): the original is as it was and the copy is gone.
    EXPECT_EQ(ReadAll(original), QByteArray(200000, 'a'));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    {
        id3prop::ScratchCopy copy(path);
        ASSERT_TRUE(copy.IsReady());
        QFile scratch(QFile::decodeName(copy.Path().c_str()));
        ASSERT_TRUE(scratch.open(QIODevice::Append));
        scratch.write("b");
        scratch.close();
        EXPECT_TRUE(copy.Replace());
    }
    EXPECT_EQ(ReadAll(original), QByteArray(200000, 'a') + 'b');
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    id3prop::ScratchCopy missing(path + ".missing");
    EXPECT_FALSE(missing.IsReady());
    EXPECT_FALSE(missing.Replace());
}

}  // namespace
