#include "core/engine/tag_copy.h"

#include "core/engine/mellorin_module.h"
#include "core/id3/swid3.h"

void copyTagToWmaFile(const QString& source, const QString& output) {
    SWID3 reader;
    reader.setFileName(source);
    if (!reader.IsValid()) {
        return;
    }
    using basMellorin::SetID3PropertyDWORD;
    using basMellorin::SetID3PropertyString;
    SetID3PropertyString(output, QStringLiteral("Author"), reader.Artist());
    SetID3PropertyString(output, QStringLiteral("Title"), reader.Title());
    SetID3PropertyString(output, QStringLiteral("WM/AlbumTitle"), reader.Album());
    SetID3PropertyString(output, QStringLiteral("WM/Year"), reader.Year());
    SetID3PropertyString(output, QStringLiteral("Description"), reader.Comment());
    SetID3PropertyString(output, QStringLiteral("WM/GenreID"), QString::number(reader.GenreNum()));
    // A tag without a track number has none to carry over; writing its marker (-1) would
    // show up in players as track 4294967295.
    if (reader.Track() >= 0) {
        SetID3PropertyDWORD(output, QStringLiteral("WM/Track"),
                            static_cast<uint32_t>(static_cast<int32_t>(reader.Track())));
    }
}
