#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// The libraries the converter binds by name at their first use: the decoder (libmellorin.so)
// and the tag-attribute writer (libid3prop.so).
namespace sw::libs {

using ProgressCallback = void (*)(int32_t);

// Help101's result (1 decoded, 2 decoded what a damaged source holds, 0 failed), or nullopt when
// the library can't be loaded; then `error` says why. Otherwise `error` takes the decoder's own
// words for a failure or a damaged source ("disk full: ...", "source damaged: 36 of 60 s").
std::optional<int32_t> help101(const QString& source, const QString& output,
                               ProgressCallback progress, QString* error);

// False when the library is missing or the write failed; failures are the caller's to ignore.
bool SetID3PropertyString(const QString& file, const QString& name, const QString& value);
bool SetID3PropertyDWORD(const QString& file, const QString& name, uint32_t value);
bool SetID3PropertyPicture(const QString& file, const QString& name, const QString& mimeType,
                           uint32_t pictureType, const QString& description,
                           const QByteArray& data);

}  // namespace sw::libs
