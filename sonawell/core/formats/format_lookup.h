#pragma once

#include "common/audio_formats.h"

#include <QString>

#include <optional>

// The table of formats (common/audio_formats.h) asked about files by name and path.

// The row of `path` by its name, else, when the name says nothing the table knows, by the
// file's first bytes; nullptr when neither does.
const sw::formats::SourceFormat* sourceFormatOf(const QString& path);

struct DerivedOutput {
    QString path;
    sw::formats::Output output;
};

// What `source` becomes beside it: the extension the table knew it by replaced with the
// output's ("a.Mp3" gives "a.wma"), or the output's appended when only the content told
// ("take.dat" gives "take.dat.wma"). Nothing for a file the table does not take. A source the
// table decodes (WMA) becomes `decodeTo` (a WAVE, or a FLAC).
std::optional<DerivedOutput> deriveOutput(const QString& source,
                                          sw::formats::Output decodeTo = sw::formats::Output::Wave);

// The profile of a job writing `output`: the decoder's for a WAVE or FLAC, else `wmaProfile`.
QString profileFor(sw::formats::Output output, const QString& wmaProfile);
