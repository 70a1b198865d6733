#include "core/id3/source_tag.h"

#include "core/id3/info_text.h"
#include "core/id3/swid3.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavfile.h>

namespace {

QString toQString(const TagLib::String& text) {
    // Embedded NULs split a v2.4 text into fields; any left over would cut the text short in
    // every C string it passes through.
    QString value = QString::fromStdString(text.to8Bit(true));
    value.replace(QChar(u'\0'), QChar(u' '));
    return value.trimmed();
}

void fill(QString& field, const QString& value) {
    if (field.isEmpty())
        field = value;
}

// "2024-05-01" (a v2.4 timestamp) is the year 2024; other text is kept as the tagger wrote it.
QString yearOf(const QString& text) {
    static const QRegularExpression leadingYear(QStringLiteral("^(\\d{4})(\\D|$)"));
    const QRegularExpressionMatch match = leadingYear.match(text);
    return match.hasMatch() ? match.captured(1) : text;
}

// "3/12" is track 3.
int trackOf(const QString& text) {
    const int track = text.section(QLatin1Char('/'), 0, 0).trimmed().toInt();
    return track > 0 ? track : 0;
}

QString genreName(int id) {
    return toQString(TagLib::ID3v1::genre(id));
}

// A genre text: "17", "(17)", "(17)Rock" or a name. A name from the ID3v1 table has its number.
void fillGenre(SourceTag& tag, const QString& text) {
    if (!tag.genre.isEmpty() || text.isEmpty())
        return;
    static const QRegularExpression numbered(QStringLiteral("^\\((\\d{1,3})\\)(.*)$|^(\\d{1,3})$"));
    const QRegularExpressionMatch match = numbered.match(text);
    if (match.hasMatch()) {
        const QString refinement = match.captured(2).trimmed();
        const int id = (match.captured(1) + match.captured(3)).toInt();
        if (refinement.isEmpty()) {
            // 255 and numbers past the table name no genre.
            tag.genre = id < 255 ? genreName(id) : QString();
            tag.genreId = tag.genre.isEmpty() ? -1 : id;
            return;
        }
        tag.genre = refinement;
    } else {
        tag.genre = text;
    }
    const int index =
        TagLib::ID3v1::genreIndex(TagLib::String(tag.genre.toStdString(), TagLib::String::UTF8));
    tag.genreId = index >= 0 && index < 255 ? index : -1;
}

// The first text frame with this id, unless its encoding byte names no encoding: such a frame
// is damaged, and TagLib would read its bytes as UTF-16 garbage.
const TagLib::ID3v2::TextIdentificationFrame* textFrame(const TagLib::ID3v2::Tag& v2,
                                                        const char* id) {
    const TagLib::ID3v2::FrameListMap& frames = v2.frameListMap();
    const auto it = frames.find(id);
    if (it == frames.end() || it->second.isEmpty())
        return nullptr;
    const auto* frame =
        dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(it->second.front());
    if (frame == nullptr || frame->textEncoding() > TagLib::String::UTF8)
        return nullptr;
    return frame;
}

QString frameText(const TagLib::ID3v2::Tag& v2, const char* id) {
    const auto* frame = textFrame(v2, id);
    return frame ? toQString(frame->toString()) : QString();
}

// The comment without a description (the one players show), else the first; as with text frames,
// one whose encoding byte names no encoding is damaged.
QString commentText(const TagLib::ID3v2::Tag& v2) {
    const TagLib::ID3v2::FrameListMap& frames = v2.frameListMap();
    const auto it = frames.find("COMM");
    if (it == frames.end())
        return {};
    const TagLib::ID3v2::CommentsFrame* chosen = nullptr;
    for (const TagLib::ID3v2::Frame* frame : it->second) {
        const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame);
        if (comment == nullptr || comment->textEncoding() > TagLib::String::UTF8)
            continue;
        if (comment->description().isEmpty())
            return toQString(comment->text());
        if (chosen == nullptr)
            chosen = comment;
    }
    return chosen ? toQString(chosen->text()) : QString();
}

// TCON may hold several genres (or a number and its refinement as two fields): the first counts.
QString genreText(const TagLib::ID3v2::Tag& v2) {
    const auto* frame = textFrame(v2, "TCON");
    if (frame == nullptr)
        return {};
    for (const TagLib::String& field : frame->fieldList()) {
        const QString value = toQString(field);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

// The image's own signature names its type; a tagger's MIME text is only the fallback, and
// text that names no image type means no picture readers would show.
QString pictureMimeType(const QByteArray& data, const QString& declared) {
    if (data.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("image/jpeg");
    if (data.startsWith("\x89PNG\r\n\x1A\n"))
        return QStringLiteral("image/png");
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return QStringLiteral("image/gif");
    if (data.startsWith("BM"))
        return QStringLiteral("image/bmp");
    static const QRegularExpression imageType(QStringLiteral("^image/[a-z0-9.+-]+$"));
    const QString lower = declared.toLower();
    return imageType.match(lower).hasMatch() ? lower : QString();
}

void fillPicture(SourceTag& tag, const TagLib::ID3v2::Tag& v2) {
    const TagLib::ID3v2::FrameListMap& frames = v2.frameListMap();
    const auto it = frames.find("APIC");
    if (it == frames.end())
        return;
    const TagLib::ID3v2::AttachedPictureFrame* chosen = nullptr;
    for (const TagLib::ID3v2::Frame* frame : it->second) {
        const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
        if (picture == nullptr || picture->picture().isEmpty())
            continue;
        if (chosen == nullptr ||
            (picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover &&
             chosen->type() != TagLib::ID3v2::AttachedPictureFrame::FrontCover))
            chosen = picture;
    }
    if (chosen == nullptr)
        return;
    const TagLib::ByteVector& bytes = chosen->picture();
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const QString mimeType = pictureMimeType(data, toQString(chosen->mimeType()));
    if (mimeType.isEmpty())
        return;
    tag.picture = {std::move(data), mimeType, static_cast<int>(chosen->type()),
                   toQString(chosen->description())};
}

void fillFromId3v2(SourceTag& tag, const TagLib::ID3v2::Tag& v2) {
    fill(tag.title, frameText(v2, "TIT2"));
    fill(tag.artist, frameText(v2, "TPE1"));
    fill(tag.album, frameText(v2, "TALB"));
    QString year = frameText(v2, "TDRC");
    fill(year, frameText(v2, "TYER"));
    fill(tag.year, yearOf(year));
    fill(tag.comment, commentText(v2));
    fillGenre(tag, genreText(v2));
    if (tag.track == 0)
        tag.track = trackOf(frameText(v2, "TRCK"));
    fill(tag.albumArtist, frameText(v2, "TPE2"));
    fill(tag.partOfSet, frameText(v2, "TPOS"));
    fill(tag.composer, frameText(v2, "TCOM"));
    if (tag.picture.data.isEmpty())
        fillPicture(tag, v2);
}

void fillFromInfo(SourceTag& tag, const TagLib::RIFF::Info::Tag& info) {
    const auto field = [&info](const char* id) { return toQString(info.fieldText(id)); };
    fill(tag.title, field("INAM"));
    fill(tag.artist, field("IART"));
    fill(tag.album, field("IPRD"));
    fill(tag.year, yearOf(field("ICRD")));
    fill(tag.comment, field("ICMT"));
    fillGenre(tag, field("IGNR"));
    if (tag.track == 0)
        tag.track = trackOf(field("IPRT"));
    if (tag.track == 0)
        tag.track = trackOf(field("ITRK"));
}

void fillFromId3v1(SourceTag& tag, const QString& path) {
    SWID3 v1;
    v1.setFileName(path);
    if (!v1.IsValid())
        return;
    fill(tag.title, v1.Title());
    fill(tag.artist, v1.Artist());
    fill(tag.album, v1.Album());
    fill(tag.year, v1.Year());
    fill(tag.comment, v1.Comment());
    // 255 is ID3v1's "no genre".
    if (tag.genre.isEmpty() && v1.GenreNum() != 255) {
        tag.genre = genreName(v1.GenreNum());
        tag.genreId = v1.GenreNum();
    }
    if (tag.track == 0 && v1.Track() > 0)
        tag.track = v1.Track();
}

bool isWave(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(12);
    return head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

}  // namespace

SourceTag readSourceTag(const QString& path) {
    SourceTag tag;
    // A FIFO or device could block its reader for good.
    if (!QFileInfo(path).isFile())
        return tag;
    const QByteArray name = QFile::encodeName(path);
    if (isWave(path)) {
        useInfoTextEncoding();
        TagLib::RIFF::WAV::File wave(name.constData(), /*readProperties=*/false);
        if (wave.isValid()) {
            if (wave.hasID3v2Tag())
                fillFromId3v2(tag, *wave.ID3v2Tag());
            if (wave.hasInfoTag())
                fillFromInfo(tag, *wave.InfoTag());
        }
    } else {
        TagLib::MPEG::File mpeg(name.constData(), /*readProperties=*/false);
        if (mpeg.isOpen() && mpeg.hasID3v2Tag())
            fillFromId3v2(tag, *mpeg.ID3v2Tag());
    }
    fillFromId3v1(tag, path);
    return tag;
}
