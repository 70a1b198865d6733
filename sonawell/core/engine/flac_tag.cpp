#include "core/engine/flac_tag.h"

#include "core/id3/source_tag.h"

#include <QFile>
#include <QFileInfo>

#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/xiphcomment.h>

#include <memory>

namespace {

TagLib::String utf8(const QString& text) {
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

}  // namespace

void copyTagToFlacFile(const QString& source, const QString& flacOutput) {
    if (!QFileInfo(flacOutput).isFile())
        return;
    const SourceTag tag = readSourceTag(source);
    TagLib::FLAC::File flac(QFile::encodeName(flacOutput).constData(), /*readProperties=*/false);
    if (!flac.isValid() || flac.readOnly())
        return;
    TagLib::Ogg::XiphComment& comments = *flac.xiphComment(/*create=*/true);
    const auto set = [&comments](const char* key, const QString& value) {
        if (value.isEmpty())
            return;
        // Each artist its own comment, as Vorbis comments keep several values of a field.
        bool replace = true;
        for (const QString& part : value.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
            comments.addField(key, utf8(part), replace);
            replace = false;
        }
    };
    const auto setOne = [&comments](const char* key, const QString& value) {
        if (!value.isEmpty())
            comments.addField(key, utf8(value), true);
    };
    setOne("TITLE", tag.title);
    set("ARTIST", tag.artist);
    setOne("ALBUM", tag.album);
    set("ALBUMARTIST", tag.albumArtist);
    setOne("DATE", tag.year);
    setOne("COMMENT", tag.comment);
    setOne("GENRE", tag.genre);
    set("COMPOSER", tag.composer);
    if (tag.track > 0)
        setOne("TRACKNUMBER", QString::number(tag.track));
    if (tag.trackTotal > 0)
        setOne("TRACKTOTAL", QString::number(tag.trackTotal));
    const QString disc = tag.partOfSet.section(QLatin1Char('/'), 0, 0).trimmed();
    const QString discs = tag.partOfSet.section(QLatin1Char('/'), 1, 1).trimmed();
    setOne("DISCNUMBER", disc);
    setOne("DISCTOTAL", discs);
    if (!tag.picture.data.isEmpty()) {
        auto picture = std::make_unique<TagLib::FLAC::Picture>();
        picture->setType(static_cast<TagLib::FLAC::Picture::Type>(tag.picture.type & 0xFF));
        picture->setMimeType(utf8(tag.picture.mimeType));
        picture->setDescription(utf8(tag.picture.description));
        picture->setData(TagLib::ByteVector(tag.picture.data.constData(),
                                            static_cast<unsigned>(tag.picture.data.size())));
        flac.addPicture(picture.release());  // the file owns it from here
    }
    flac.save();
}
