#include "core/engine/job_outcome.h"

#include "core/engine/mellorin_module.h"
#include "core/id3/swid3.h"

void CopyTagToWMAFile(const QString& strSource, const QString& strOutput) {
    SWID3 reader;
    reader.setFileName(strSource);
    if (!reader.IsValid()) {
        return;
    }
    using basMellorin::SetID3PropertyDWORD;
    using basMellorin::SetID3PropertyString;
    SetID3PropertyString(strOutput, QStringLiteral("Author"), reader.Artist());
    SetID3PropertyString(strOutput, QStringLiteral("Title"), reader.Title());
    SetID3PropertyString(strOutput, QStringLiteral("WM/AlbumTitle"), reader.Album());
    SetID3PropertyString(strOutput, QStringLiteral("WM/Year"), reader.Year());
    SetID3PropertyString(strOutput, QStringLiteral("Description"), reader.Comment());
    SetID3PropertyString(strOutput, QStringLiteral("WM/GenreID"),
                         QString::number(reader.GenreNum()));
    // A tag without a track number has none to carry over; writing its marker (-1) would
    // show up in players as track 4294967295.
    if (reader.Track() >= 0) {
        SetID3PropertyDWORD(strOutput, QStringLiteral("WM/Track"),
                            static_cast<uint32_t>(static_cast<int32_t>(reader.Track())));
    }
}
