#include "tag_readers.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <taglib/asffile.h>
#include <taglib/asfpicture.h>
#include <taglib/asftag.h>

#include "support/audio_fixtures.h"
#include "support/file_fixtures.h"

namespace tagreaders {

namespace {

struct AsfName {
    const char* attribute;
    const char* key;
    bool dword;
};
// TagLib and mutagen both give the attributes by their names in the file.
constexpr AsfName kAsfNames[] = {
    {"Title", "title", false},         {"Author", "artist", false},
    {"Description", "comment", false}, {"WM/AlbumTitle", "album", false},
    {"WM/Year", "year", false},        {"WM/GenreID", "genre_id", false},
    {"WM/Track", "wm_track", true},    {"WM/TrackNumber", "track", true},
    {"WM/Genre", "genre", false},      {"WM/AlbumArtist", "album_artist", false},
    {"WM/PartOfSet", "disc", false},   {"WM/Composer", "composer", false},
};

// ffprobe's names for what the ASF and WAVE demuxers find.
constexpr std::pair<const char*, const char*> kFfprobeNames[] = {
    {"title", "title"},  {"artist", "artist"},     {"album", "album"},
    {"WM/Year", "year"}, {"date", "year"},         {"comment", "comment"},
    {"genre", "genre"},  {"track", "track"},       {"album_artist", "album_artist"},
    {"disc", "disc"},    {"composer", "composer"},
};

void Put(Tags& tags, const std::string& name, const std::string& value, bool wrongType) {
    for (const AsfName& known : kAsfNames) {
        if (name == known.attribute && !value.empty())
            tags[known.key] = (wrongType ? "<wrong type> " : "") + value;
    }
}

// The program's standard output, or nullopt when it did not run to a clean exit.
std::optional<QString> Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Prints {"attribute name": "value", ...}; a picture as "<size>:<sha1>" of its image bytes.
const char kMutagenScript[] = R"(
import hashlib, json, sys
import mutagen.asf
tags = mutagen.asf.ASF(sys.argv[1]).tags
out = {}
for name, values in tags.items():
    value = values[0]
    if name == 'WM/Picture':
        raw = bytes(value.value)
        size = int.from_bytes(raw[1:5], 'little')
        pos = 5
        for _ in range(2):
            while raw[pos:pos + 2] != b'\x00\x00':
                pos += 2
            pos += 2
        image = raw[pos:pos + size]
        out['picture'] = '%d:%s' % (len(image), hashlib.sha1(image).hexdigest())
    elif isinstance(value, mutagen.asf.ASFDWordAttribute):
        out[name] = 'dword:%d' % value.value
    else:
        out[name] = str(value)
print(json.dumps(out))
)";

}  // namespace

QString PictureKey(const QByteArray& image) {
    return QStringLiteral("%1:%2")
        .arg(image.size())
        .arg(
            QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha1).toHex()));
}

Tags ReadAsfWithTagLib(const QString& path) {
    Tags tags;
    TagLib::ASF::File file(QFile::encodeName(path).constData(), /*readProperties=*/false);
    if (!file.isValid() || file.tag() == nullptr)
        return {{"error", "not a valid ASF file"}};
    TagLib::ASF::Tag& tag = *file.tag();
    Put(tags, "Title", tag.title().to8Bit(true), false);
    Put(tags, "Author", tag.artist().to8Bit(true), false);
    Put(tags, "Description", tag.comment().to8Bit(true), false);
    for (const auto& [name, list] : tag.attributeListMap()) {
        if (list.isEmpty())
            continue;
        const TagLib::ASF::Attribute& value = list.front();
        if (name == "WM/Picture") {
            const TagLib::ByteVector image = value.toPicture().picture();
            tags["picture"] = PictureKey(QByteArray(image.data(), image.size())).toStdString();
            continue;
        }
        const bool isDword = value.type() == TagLib::ASF::Attribute::DWordType;
        const std::string text =
            isDword ? std::to_string(value.toUInt()) : value.toString().to8Bit(true);
        bool wrongType = false;
        for (const AsfName& known : kAsfNames)
            wrongType = wrongType || (name == known.attribute && known.dword != isDword);
        Put(tags, name.to8Bit(true), text, wrongType);
    }
    return tags;
}

Tags ReadWithFfprobe(const QString& path, const QString& scratchFolder) {
    Tags tags;
    const QString out =
        Run(QStringLiteral("ffprobe"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_format"),
             QStringLiteral("-of"), QStringLiteral("json"), path})
            .value_or(QString());
    const QJsonObject format =
        QJsonDocument::fromJson(out.toUtf8()).object().value(QStringLiteral("format")).toObject();
    if (format.isEmpty())
        return {{"error", "ffprobe could not read the file"}};
    const QJsonObject found = format.value(QStringLiteral("tags")).toObject();
    for (const auto& [name, key] : kFfprobeNames) {
        const QString value = found.value(QString::fromLatin1(name)).toString();
        if (!value.isEmpty())
            tags[key] = value.toStdString();
    }
    // The cover is an attached picture stream; its packet is the image as stored.
    const QString image = QDir(scratchFolder).filePath(QStringLiteral("ffmpeg-cover.bin"));
    QFile::remove(image);
    if (testsupport::RunFfmpeg({QStringLiteral("-i"), path, QStringLiteral("-map"),
                                QStringLiteral("0:v:0?"), QStringLiteral("-c"),
                                QStringLiteral("copy"), QStringLiteral("-f"),
                                QStringLiteral("data"), image})) {
        const QByteArray bytes = testsupport::ReadAll(image);
        if (!bytes.isEmpty())
            tags["picture"] = PictureKey(bytes).toStdString();
    }
    QFile::remove(image);
    return tags;
}

std::optional<Tags> ReadAsfWithMutagen(const QString& path) {
    // The interpreter first on the path may be a private one without the system's packages.
    for (const QString& python : {QStringLiteral("python3"), QStringLiteral("/usr/bin/python3")}) {
        if (!Run(python, {QStringLiteral("-c"), QStringLiteral("import mutagen.asf")}))
            continue;
        const QString out =
            Run(python, {QStringLiteral("-c"), QString::fromUtf8(kMutagenScript), path})
                .value_or(QString());
        const QJsonObject found = QJsonDocument::fromJson(out.toUtf8()).object();
        if (found.isEmpty() && out.trimmed() != QStringLiteral("{}"))
            return Tags{{"error", "mutagen could not read the file"}};
        Tags tags;
        for (auto it = found.begin(); it != found.end(); ++it) {
            const std::string name = it.key().toStdString();
            std::string value = it.value().toString().toStdString();
            if (name == "picture") {
                tags["picture"] = value;
                continue;
            }
            const bool isDword = value.rfind("dword:", 0) == 0;
            if (isDword)
                value = value.substr(6);
            bool wrongType = false;
            for (const AsfName& known : kAsfNames)
                wrongType = wrongType || (name == known.attribute && known.dword != isDword);
            Put(tags, name, value, wrongType);
        }
        return tags;
    }
    return std::nullopt;
}

}  // namespace tagreaders
