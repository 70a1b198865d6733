#pragma once

#include "encoder/ffmpeg_handles.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace sw::enc {

// The demuxer an input's extension names ("mp3", "wav", "asf"), or nullptr when the extension
// is not one the encoder reads. The comparison ignores case.
const char* DemuxerForExtension(const QString& path);

// The demuxer that reads `path`: the one FFmpeg's probe of its first bytes is sure of, else the
// one its extension names; nullptr when neither tells.
const char* DemuxerFor(const QString& path);

// A "file:" URL for FFmpeg, so that a colon in a name is never taken for a protocol.
QByteArray FileUrl(const QString& path);

struct OpenedInput {
    ff::InputFormat format;
    ff::Codec decoder;
    int streamIndex = -1;
    int64_t durationUs = 0;           // 0 when the source does not tell
    bool durationFromHeader = false;  // false when guessed from the bit rate
};

// Opens `path` with the named demuxer and the decoder of its audio stream. On failure returns
// nullopt and a sentence for the user in `reason`.
std::optional<OpenedInput> OpenInput(const QString& path, const char* demuxer, QString* reason);

struct CheckedInput {
    QString path;
    const char* demuxer = nullptr;
    int64_t durationUs = 0;
};

// What the first bytes of a regular file look like to FFmpeg's probe.
struct ProbedContent {
    QString description;  // "raw ADTS AAC (Advanced Audio Coding)", or "unrecognised data"
    bool mpegAudio = false;
};
ProbedContent ProbeContent(const QString& path);

// What prepare does with a source: it must be a readable, non-empty regular file (checked with
// stat, never opened otherwise, so a FIFO can't block), its content or else its extension must
// name a demuxer, and
// that demuxer must read it and its first audio packets must decode. Throws sw::Error with
// SourceMissing, SourceNotFile, SourceEmpty or SourceUnreadable for a source that is not such
// a file, FormatNotAccepted ("not an audio file the encoder accepts:
// <what was found>") for one whose content is refused.
CheckedInput CheckInput(const QString& path);

}  // namespace sw::enc
