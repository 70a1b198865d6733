#include "core/id3/source_tag.h"

#include "common/audio_formats.h"
#include "core/fs/file_head.h"
#include "core/id3/info_text.h"
#include "core/id3/swid3.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>

#include <memory>
#include <string_view>

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

// "3/12" is of 12 tracks.
int totalOf(const QString& text) {
    const int total = text.section(QLatin1Char('/'), 1, 1).trimmed().toInt();
    return total > 0 ? total : 0;
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

// Every value of a v2.4 frame that names people (artists, composers), as the other formats'
// several values are kept: "One; Two".
QString frameValues(const TagLib::ID3v2::Tag& v2, const char* id) {
    const auto* frame = textFrame(v2, id);
    if (frame == nullptr)
        return {};
    QStringList values;
    for (const TagLib::String& field : frame->fieldList()) {
        const QString value = toQString(field);
        if (!value.isEmpty())
            values << value;
    }
    return values.join(QStringLiteral("; "));
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
    fill(tag.artist, frameValues(v2, "TPE1"));
    fill(tag.album, frameText(v2, "TALB"));
    QString year = frameText(v2, "TDRC");
    fill(year, frameText(v2, "TYER"));
    fill(tag.year, yearOf(year));
    fill(tag.comment, commentText(v2));
    fillGenre(tag, genreText(v2));
    if (tag.track == 0)
        tag.track = trackOf(frameText(v2, "TRCK"));
    fill(tag.albumArtist, frameValues(v2, "TPE2"));
    fill(tag.partOfSet, frameText(v2, "TPOS"));
    fill(tag.composer, frameValues(v2, "TCOM"));
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

// Every value of a field, in order, as one text: players show one artist line.
QString joined(const TagLib::PropertyMap& properties, const char* key) {
    const auto it = properties.find(key);
    if (it == properties.end())
        return {};
    QStringList values;
    for (const TagLib::String& value : it->second) {
        const QString text = toQString(value);
        if (!text.isEmpty() && !values.contains(text))
            values << text;
    }
    return values.join(QStringLiteral("; "));
}

QString first(const TagLib::PropertyMap& properties, const char* key) {
    const auto it = properties.find(key);
    return it == properties.end() || it->second.isEmpty() ? QString()
                                                          : toQString(it->second.front());
}

// TagLib's names, which are the same for Vorbis comments, MP4 atoms, APE items and ASF
// attributes.
void fillFromProperties(SourceTag& tag, const TagLib::PropertyMap& properties) {
    fill(tag.title, joined(properties, "TITLE"));
    fill(tag.artist, joined(properties, "ARTIST"));
    fill(tag.album, first(properties, "ALBUM"));
    fill(tag.albumArtist, joined(properties, "ALBUMARTIST"));
    // FFmpeg writes its own key name into APE tags.
    fill(tag.albumArtist, joined(properties, "ALBUM_ARTIST"));
    fill(tag.year, yearOf(first(properties, "DATE")));
    QString comment = first(properties, "COMMENT");
    fill(comment, first(properties, "DESCRIPTION"));
    fill(tag.comment, comment);
    fillGenre(tag, first(properties, "GENRE"));
    fill(tag.composer, joined(properties, "COMPOSER"));
    const QString track = first(properties, "TRACKNUMBER");
    if (tag.track == 0)
        tag.track = trackOf(track);
    if (tag.trackTotal == 0)
        tag.trackTotal = totalOf(track);
    for (const char* key : {"TRACKTOTAL", "TOTALTRACKS"}) {
        if (tag.trackTotal == 0)
            tag.trackTotal = trackOf(first(properties, key));
    }
    QString disc = first(properties, "DISCNUMBER");
    const QString discs = first(properties, "DISCTOTAL");
    if (!disc.isEmpty() && !disc.contains(QLatin1Char('/')) && trackOf(discs) > 0)
        disc += QLatin1Char('/') + QString::number(trackOf(discs));
    fill(tag.partOfSet, disc);
}

void offerPicture(SourceTag& tag, const TagLib::ByteVector& bytes, const TagLib::String& mime,
                  int type, const TagLib::String& description) {
    // The front cover wins over any picture seen before it.
    if (bytes.isEmpty() || (!tag.picture.data.isEmpty() && (tag.picture.type == 3 || type != 3)))
        return;
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const QString mimeType = pictureMimeType(data, toQString(mime));
    if (!mimeType.isEmpty())
        tag.picture = {std::move(data), mimeType, type, toQString(description)};
}

void fillFlacPictures(SourceTag& tag, const TagLib::List<TagLib::FLAC::Picture*>& pictures) {
    for (const TagLib::FLAC::Picture* picture : pictures) {
        offerPicture(tag, picture->data(), picture->mimeType(), static_cast<int>(picture->type()),
                     picture->description());
    }
}

void fillMp4Picture(SourceTag& tag, TagLib::MP4::Tag& mp4) {
    if (!mp4.contains("covr"))
        return;
    for (const TagLib::MP4::CoverArt& cover : mp4.item("covr").toCoverArtList()) {
        const char* mime = cover.format() == TagLib::MP4::CoverArt::PNG    ? "image/png"
                           : cover.format() == TagLib::MP4::CoverArt::JPEG ? "image/jpeg"
                                                                           : "";
        offerPicture(tag, cover.data(), mime, 3, {});
    }
}

// An APE cover item holds its file name, a NUL, then the image.
void fillApePicture(SourceTag& tag, TagLib::APE::Tag* ape) {
    if (ape == nullptr)
        return;
    const TagLib::APE::ItemListMap& items = ape->itemListMap();
    const auto it = items.find("COVER ART (FRONT)");
    if (it == items.end())
        return;
    const TagLib::ByteVector value = it->second.binaryData();
    const int nul = value.find('\0');
    if (nul >= 0)
        offerPicture(tag, value.mid(static_cast<unsigned>(nul) + 1), {}, 3, {});
}

void fillAsfPicture(SourceTag& tag, TagLib::ASF::Tag* asf) {
    if (asf == nullptr)
        return;
    const TagLib::ASF::AttributeListMap& attributes = asf->attributeListMap();
    const auto it = attributes.find("WM/Picture");
    if (it == attributes.end())
        return;
    for (const TagLib::ASF::Attribute& attribute : it->second) {
        const TagLib::ASF::Picture picture = attribute.toPicture();
        if (picture.isValid())
            offerPicture(tag, picture.picture(), picture.mimeType(),
                         static_cast<int>(picture.type()), picture.description());
    }
}

void fillFromProperties(SourceTag& tag, const TagLib::File& file) {
    if (file.isValid())
        fillFromProperties(tag, file.properties());
}

// A source that is neither MPEG audio nor WAVE, by the row of the table its content (else its
// name) matches.
void fillFromOtherFormat(SourceTag& tag, std::string_view format, const char* name) {
    if (format == "FLAC") {
        TagLib::FLAC::File flac(name, false);
        fillFromProperties(tag, flac);
        if (flac.isValid())
            fillFlacPictures(tag, flac.pictureList());
        if (flac.isValid() && flac.hasID3v2Tag())
            fillFromId3v2(tag, *flac.ID3v2Tag());
    } else if (format == "Ogg Vorbis" || format == "Opus") {
        // Both share the Ogg signature: the stream itself tells which.
        TagLib::Ogg::Vorbis::File vorbis(name, false);
        if (vorbis.isValid() && vorbis.tag() != nullptr) {
            fillFromProperties(tag, vorbis);
            fillFlacPictures(tag, vorbis.tag()->pictureList());
            return;
        }
        TagLib::Ogg::Opus::File opus(name, false);
        if (opus.isValid() && opus.tag() != nullptr) {
            fillFromProperties(tag, opus);
            fillFlacPictures(tag, opus.tag()->pictureList());
        }
    } else if (format == "MPEG-4 audio" || format == "MPEG-4 audiobook") {
        TagLib::MP4::File mp4(name, false);
        fillFromProperties(tag, mp4);
        if (mp4.isValid() && mp4.tag() != nullptr)
            fillMp4Picture(tag, *mp4.tag());
    } else if (format == "AIFF") {
        TagLib::RIFF::AIFF::File aiff(name, false);
        if (aiff.isValid() && aiff.hasID3v2Tag())
            fillFromId3v2(tag, *aiff.tag());
    } else if (format == "WavPack") {
        TagLib::WavPack::File wavPack(name, false);
        fillFromProperties(tag, wavPack);
        if (wavPack.isValid())
            fillApePicture(tag, wavPack.APETag());
    } else if (format == "Monkey's Audio") {
        TagLib::APE::File ape(name, false);
        fillFromProperties(tag, ape);
        if (ape.isValid())
            fillApePicture(tag, ape.APETag());
    } else if (format == "WMA") {
        TagLib::ASF::File asf(name, false);
        fillFromProperties(tag, asf);
        if (asf.isValid() && asf.tag() != nullptr) {
            fillAsfPicture(tag, asf.tag());
            // The count of tracks has no name of TagLib's.
            const TagLib::ASF::AttributeListMap& attributes = asf.tag()->attributeListMap();
            const auto total = attributes.find("TotalTracks");
            if (tag.trackTotal == 0 && total != attributes.end() && !total->second.isEmpty()) {
                const TagLib::ASF::Attribute& value = total->second.front();
                tag.trackTotal = value.type() == TagLib::ASF::Attribute::DWordType
                                     ? static_cast<int>(value.toUInt())
                                     : trackOf(toQString(value.toString()));
            }
        }
    }
}

const sw::formats::SourceFormat* formatOf(const QString& path) {
    const QByteArray head = fileHead(path, sw::formats::kSignatureBytes);
    const sw::formats::SourceFormat* format = sw::formats::byContent(
        sw::formats::Head(reinterpret_cast<const unsigned char*>(head.constData()),
                          static_cast<size_t>(head.size())));
    return format != nullptr ? format : sw::formats::byFileName(path.toUtf8().toStdString());
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
    } else if (const sw::formats::SourceFormat* format = formatOf(path);
               format != nullptr && format->name != "MP3" && format->name != "MP2") {
        fillFromOtherFormat(tag, format->name, name.constData());
    } else {
        TagLib::MPEG::File mpeg(name.constData(), /*readProperties=*/false);
        if (mpeg.isOpen() && mpeg.hasID3v2Tag())
            fillFromId3v2(tag, *mpeg.ID3v2Tag());
    }
    fillFromId3v1(tag, path);
    return tag;
}
