#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>
#include <string>

// Readers nobody here wrote, each giving a file's tag as one map with the same keys: "title",
// "artist", "album", "year", "comment", "genre", "track", "album_artist", "disc", "composer",
// "picture" ("<size>:<sha1>" of the image bytes); TagLib and mutagen also give "genre_id"
// ("WM/GenreID") and "wm_track" ("WM/Track"). An attribute of the wrong type reads as
// "<wrong type> value".
namespace tagreaders {

using Tags = std::map<std::string, std::string>;

QString PictureKey(const QByteArray& image);

Tags ReadAsfWithTagLib(const QString& path);
Tags ReadWithFfprobe(const QString& path, const QString& scratchFolder);
// nullopt when no python3 with mutagen is installed.
std::optional<Tags> ReadAsfWithMutagen(const QString& path);

}  // namespace tagreaders
