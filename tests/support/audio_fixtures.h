#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

namespace testsupport {

// Runs the ffmpeg tool with the given arguments (no shell); true on exit code 0.
bool RunFfmpeg(const QStringList& args);

// A sine tone of `seconds` written by ffmpeg; `extraArgs` go before the output name
// (for example {"-c:a", "libmp3lame", "-b:a", "128k"}). Returns false on failure.
bool MakeTone(const QString& path, double seconds, int sampleRate, int channels,
              const QStringList& extraArgs = {});
bool MakeMp3(const QString& path, double seconds, int sampleRate = 44100, int channels = 2);
bool MakeWav(const QString& path, double seconds, int sampleRate = 44100, int channels = 2);
bool MakeWma(const QString& path, double seconds, int sampleRate = 44100, int channels = 2);
// A stereo WAVE file of two different tones with noise in them, a harder case for an encoder
// than a plain tone.
bool MakeNoisyWav(const QString& path, double seconds, int sampleRate = 44100);

// Appends a 128-byte ID3v1.1 tag (track 0 writes a plain v1 tag without a track number).
struct Id3v1 {
    QByteArray title, artist, album, year, comment;
    unsigned char genre = 0;
    int track = 0;
};
bool AppendId3v1(const QString& path, const Id3v1& tag);

// Duration in seconds as ffprobe reports it, or nullopt.
std::optional<double> ProbeDuration(const QString& path);
// "codec_name" and "format_name" as ffprobe reports them, "codec|format".
QString ProbeCodecAndFormat(const QString& path);

// The program folder of the build (SONAWELL_BIN_DIR).
QString BinDir();

}  // namespace testsupport
