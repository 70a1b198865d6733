#include "core/engine/tag_copy.h"

#include "common/kill_point.h"
#include "core/id3/info_text.h"
#include "core/id3/source_tag.h"
#include "id3prop/asf_attribute_writer.h"

#include <QFile>
#include <QFileInfo>

#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/id3v1genres.h>
#include <taglib/infotag.h>
#include <taglib/wavfile.h>

namespace {

QString toQString(const TagLib::String& text) {
    return QString::fromStdString(text.to8Bit(true)).trimmed();
}

// Players name the genre from "WM/Genre"; files that carry only a number have it from the table.
TagLib::String genreOf(const TagLib::ASF::Tag& tag) {
    if (!tag.genre().isEmpty())
        return tag.genre();
    const TagLib::ASF::AttributeListMap& attributes = tag.attributeListMap();
    const auto id = attributes.find("WM/GenreID");
    if (id == attributes.end() || id->second.isEmpty())
        return {};
    bool ok = false;
    const int number = toQString(id->second.front().toString()).toInt(&ok);
    return ok && number >= 0 && number < 255 ? TagLib::ID3v1::genre(number) : TagLib::String();
}

}  // namespace

void copyTagToWmaFile(const QString& source, const QString& output) {
    const SourceTag tag = readSourceTag(source);
    std::vector<id3prop::Attribute> attributes;
    const auto setText = [&attributes](const char* name, const QString& value) {
        if (!value.isEmpty())
            attributes.emplace_back(name, value.toStdString());
    };
    const auto setNumber = [&attributes](const char* name, int value) {
        if (value > 0)
            attributes.emplace_back(name, static_cast<uint32_t>(value));
    };
    // The seven attributes of old, in their order and types, before the ones players read.
    setText("Author", tag.artist);
    setText("Title", tag.title);
    setText("WM/AlbumTitle", tag.album);
    setText("WM/Year", tag.year);
    setText("Description", tag.comment);
    setText("WM/GenreID", tag.genreId >= 0 ? QString::number(tag.genreId) : QString());
    setNumber("WM/Track", tag.track);
    setNumber("WM/TrackNumber", tag.track);
    setText("WM/Genre", tag.genre);
    setText("WM/AlbumArtist", tag.albumArtist);
    setText("WM/PartOfSet", tag.partOfSet);
    setText("WM/Composer", tag.composer);
    setNumber("TotalTracks", tag.trackTotal);
    // The front cover, else the first picture.
    if (!tag.picture.data.isEmpty())
        attributes.emplace_back("WM/Picture",
                                id3prop::Picture{tag.picture.mimeType.toStdString(),
                                                 static_cast<uint32_t>(tag.picture.type),
                                                 tag.picture.description.toStdString(),
                                                 tag.picture.data.toStdString()});
    sw::killPoint("tag-write");
    if (!attributes.empty())
        id3prop::WriteAsfAttributesInPlace(QFile::encodeName(output).toStdString(), attributes);
    sw::killPoint("tag-written");
}

void copyTagToWaveFile(const QString& wmaSource, const QString& waveOutput) {
    // A FIFO or device could block its reader for good.
    if (!QFileInfo(wmaSource).isFile() || !QFileInfo(waveOutput).isFile())
        return;
    const TagLib::ASF::File wma(QFile::encodeName(wmaSource).constData(),
                                /*readProperties=*/false);
    if (!wma.isValid() || wma.tag() == nullptr)
        return;
    const TagLib::ASF::Tag& in = *wma.tag();
    const TagLib::String genre = genreOf(in);
    if (in.isEmpty() && genre.isEmpty())
        return;

    useInfoTextEncoding();
    TagLib::RIFF::WAV::File wave(QFile::encodeName(waveOutput).constData(),
                                 /*readProperties=*/false);
    if (!wave.isValid() || wave.readOnly())
        return;
    TagLib::RIFF::Info::Tag& out = *wave.InfoTag();
    out.setTitle(in.title());
    out.setArtist(in.artist());
    out.setAlbum(in.album());
    out.setYear(in.year());
    out.setComment(in.comment());
    out.setGenre(genre);
    out.setTrack(in.track());
    sw::killPoint("tag-write");
    wave.save(TagLib::RIFF::WAV::File::Info, TagLib::File::StripNone);
    sw::killPoint("tag-written");
}
