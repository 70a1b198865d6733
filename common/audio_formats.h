#pragma once

// Which source files the converter takes and what each becomes. Every entry point asks this
// table: Add Job and its file-dialog filters, a drop on the window, the command line and
// AddJobs, Quillmark's menu and the entries it writes for the file managers. A new source
// format is a new row of kSourceFormats (with its signature), a new kind of output a new
// Output. Plain C++: Quillmark links GLib, not Qt.

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

// Marks a text for the converter's catalogue without translating it here: lupdate reads it as
// QT_TRANSLATE_NOOP, and the program translates the text in `context` where it shows it.
#define SW_TRANSLATE_NOOP(context, text) text

namespace sw::formats {

// What a conversion writes.
enum class Output {
    Wma,   // encoded to WMA with the profile the user chose
    Wave,  // decoded to a PCM WAVE file
    Flac,  // decoded and encoded losslessly to FLAC
};

// The extension an output is written with, lower case and without the dot.
constexpr std::string_view outputExtension(Output output) {
    switch (output) {
        case Output::Wma:
            return "wma";
        case Output::Wave:
            return "wav";
        case Output::Flac:
            return "flac";
    }
    return {};
}

// A file's first bytes, as far as they were read.
using Head = std::span<const unsigned char>;

struct SourceFormat {
    std::string_view name;                         // as the user knows it
    std::span<const std::string_view> extensions;  // lower case, without the dot
    // The shared-mime-info name first (what the file managers match), then the aliases that
    // older databases and other desktops use.
    std::span<const std::string_view> mimeTypes;
    // Add Job's file-dialog entry, in the "AudioFormats" context; rows with the same label
    // share one entry.
    std::string_view filterLabel;
    Output becomes;
    // True when the first bytes are this format's; asked only of a file whose name says
    // nothing, so it may be generous where the rows it could be confused with convert alike.
    bool (*hasSignature)(Head head);
};

namespace detail {

constexpr bool startsWith(Head head, std::string_view magic, std::size_t at = 0) {
    if (head.size() < at + magic.size()) {
        return false;
    }
    for (std::size_t i = 0; i < magic.size(); ++i) {
        if (head[at + i] != static_cast<unsigned char>(magic[i])) {
            return false;
        }
    }
    return true;
}

// An MPEG audio frame header at the start: eleven sync bits, then a version, layer, bitrate
// and sample rate that are not the reserved values (0x01 is layer III, 0x02 layer II).
constexpr bool isMpegFrame(Head head, unsigned layerBits) {
    if (head.size() < 4 || head[0] != 0xFF || (head[1] & 0xE0) != 0xE0) {
        return false;
    }
    const unsigned version = (head[1] >> 3) & 0x03;
    const unsigned layer = (head[1] >> 1) & 0x03;
    const unsigned bitrate = head[2] >> 4;
    const unsigned sampleRate = (head[2] >> 2) & 0x03;
    return version != 0x01 && layer == layerBits && bitrate != 0x0F && sampleRate != 0x03;
}

constexpr bool isMp3(Head head) {
    // An ID3v2 tag is MP3's; an MP2 that carries one is converted the same way.
    return startsWith(head, "ID3") || isMpegFrame(head, 0x01);
}

constexpr bool isMp2(Head head) {
    return isMpegFrame(head, 0x02);
}

constexpr bool isWave(Head head) {
    return startsWith(head, "RIFF") && startsWith(head, "WAVE", 8);
}

// The GUID of the ASF header object, in its byte order on disk.
inline constexpr std::array<unsigned char, 16> kAsfHeader{
    0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

constexpr bool isAsf(Head head) {
    if (head.size() < kAsfHeader.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kAsfHeader.size(); ++i) {
        if (head[i] != kAsfHeader[i]) {
            return false;
        }
    }
    return true;
}

constexpr bool isFlac(Head head) {
    return startsWith(head, "fLaC");
}

// Vorbis and Opus share the Ogg container; either row converts the file alike.
constexpr bool isOgg(Head head) {
    return startsWith(head, "OggS");
}

constexpr bool isMp4(Head head) {
    return startsWith(head, "ftyp", 4);
}

// An ADTS frame header: the sync bits with layer 00, which MPEG audio never uses.
constexpr bool isAdts(Head head) {
    return head.size() >= 2 && head[0] == 0xFF && (head[1] & 0xF6) == 0xF0;
}

constexpr bool isAiff(Head head) {
    return startsWith(head, "FORM") && (startsWith(head, "AIFF", 8) || startsWith(head, "AIFC", 8));
}

constexpr bool isWavPack(Head head) {
    return startsWith(head, "wvpk");
}

constexpr bool isApe(Head head) {
    return startsWith(head, "MAC ");
}

inline constexpr std::string_view kMp3Extensions[] = {"mp3"};
inline constexpr std::string_view kMp3Types[] = {"audio/mpeg", "audio/mp3", "audio/x-mp3"};
inline constexpr std::string_view kMp2Extensions[] = {"mp2"};
inline constexpr std::string_view kMp2Types[] = {"audio/mp2", "audio/x-mp2"};
inline constexpr std::string_view kWaveExtensions[] = {"wav"};
inline constexpr std::string_view kWaveTypes[] = {"audio/x-wav", "audio/wav"};
inline constexpr std::string_view kWmaExtensions[] = {"wma"};
inline constexpr std::string_view kWmaTypes[] = {"audio/x-ms-wma"};
inline constexpr std::string_view kFlacExtensions[] = {"flac"};
inline constexpr std::string_view kFlacTypes[] = {"audio/flac", "audio/x-flac"};
inline constexpr std::string_view kVorbisExtensions[] = {"ogg", "oga"};
inline constexpr std::string_view kVorbisTypes[] = {"audio/x-vorbis+ogg", "audio/ogg",
                                                    "audio/vorbis"};
inline constexpr std::string_view kOpusExtensions[] = {"opus"};
inline constexpr std::string_view kOpusTypes[] = {"audio/x-opus+ogg", "audio/opus"};
inline constexpr std::string_view kMp4Extensions[] = {"m4a"};
inline constexpr std::string_view kMp4Types[] = {"audio/mp4", "audio/x-m4a", "audio/m4a"};
inline constexpr std::string_view kAudiobookExtensions[] = {"m4b"};
inline constexpr std::string_view kAudiobookTypes[] = {"audio/x-m4b"};
inline constexpr std::string_view kAacExtensions[] = {"aac"};
inline constexpr std::string_view kAacTypes[] = {"audio/aac", "audio/x-aac"};
inline constexpr std::string_view kAiffExtensions[] = {"aif", "aiff", "aifc"};
inline constexpr std::string_view kAiffTypes[] = {"audio/x-aiff", "audio/aiff"};
inline constexpr std::string_view kWavPackExtensions[] = {"wv"};
inline constexpr std::string_view kWavPackTypes[] = {"audio/x-wavpack"};
inline constexpr std::string_view kApeExtensions[] = {"ape"};
inline constexpr std::string_view kApeTypes[] = {"audio/x-ape"};

constexpr char toLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (toLower(a[i]) != toLower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace detail

// In the order Add Job lists them and the signatures are tried.
inline constexpr std::array kSourceFormats{
    SourceFormat{"MP3", detail::kMp3Extensions, detail::kMp3Types,
                 SW_TRANSLATE_NOOP("AudioFormats", "MPEG audio files"), Output::Wma, detail::isMp3},
    SourceFormat{"MP2", detail::kMp2Extensions, detail::kMp2Types,
                 SW_TRANSLATE_NOOP("AudioFormats", "MPEG audio files"), Output::Wma, detail::isMp2},
    SourceFormat{"WAVE", detail::kWaveExtensions, detail::kWaveTypes,
                 SW_TRANSLATE_NOOP("AudioFormats", "Microsoft Waveform audio files"), Output::Wma,
                 detail::isWave},
    SourceFormat{"WMA", detail::kWmaExtensions, detail::kWmaTypes,
                 SW_TRANSLATE_NOOP("AudioFormats", "Windows Media Audio files"), Output::Wave,
                 detail::isAsf},
    SourceFormat{"FLAC", detail::kFlacExtensions, detail::kFlacTypes,
                 SW_TRANSLATE_NOOP("AudioFormats", "FLAC audio files"), Output::Wma,
                 detail::isFlac},
    SourceFormat{"Ogg Vorbis", detail::kVorbisExtensions, detail::kVorbisTypes,
                 SW_TRANSLATE_NOOP("AudioFormats", "Ogg audio files"), Output::Wma, detail::isOgg},
    SourceFormat{"Opus", detail::kOpusExtensions, detail::kOpusTypes,
                 SW_TRANSLATE_NOOP("AudioFormats", "Ogg audio files"), Output::Wma, detail::isOgg},
    SourceFormat{"MPEG-4 audio", detail::kMp4Extensions, detail::kMp4Types,
                 SW_TRANSLATE_NOOP("AudioFormats", "MPEG-4 audio files"), Output::Wma,
                 detail::isMp4},
    SourceFormat{"MPEG-4 audiobook", detail::kAudiobookExtensions, detail::kAudiobookTypes,
                 SW_TRANSLATE_NOOP("AudioFormats", "MPEG-4 audio files"), Output::Wma,
                 detail::isMp4},
    SourceFormat{"AAC", detail::kAacExtensions, detail::kAacTypes,
                 SW_TRANSLATE_NOOP("AudioFormats", "MPEG-4 audio files"), Output::Wma,
                 detail::isAdts},
    SourceFormat{"AIFF", detail::kAiffExtensions, detail::kAiffTypes,
                 SW_TRANSLATE_NOOP("AudioFormats", "AIFF audio files"), Output::Wma,
                 detail::isAiff},
    SourceFormat{"WavPack", detail::kWavPackExtensions, detail::kWavPackTypes,
                 SW_TRANSLATE_NOOP("AudioFormats", "WavPack audio files"), Output::Wma,
                 detail::isWavPack},
    SourceFormat{"Monkey's Audio", detail::kApeExtensions, detail::kApeTypes,
                 SW_TRANSLATE_NOOP("AudioFormats", "Monkey's Audio files"), Output::Wma,
                 detail::isApe},
};

// How many first bytes of a file byContent needs.
inline constexpr std::size_t kSignatureBytes = 16;

// The extension of a file name or path: what follows its last dot, or nothing without a dot
// or when that dot lies in a folder's name (a "/" or "\" after it).
constexpr std::string_view extensionOf(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    const std::string_view extension = name.substr(dot + 1);
    return extension.find_first_of("/\\") == std::string_view::npos ? extension
                                                                    : std::string_view();
}

// The row whose extension a file name or path ends in, after a dot and in any letter case:
// "song.MP3" and "a.b.wma" are found, "xmp3", "song" and "song.mp3.bak" are not.
constexpr const SourceFormat* byFileName(std::string_view name) {
    const std::string_view extension = extensionOf(name);
    if (extension.empty()) {
        return nullptr;
    }
    for (const SourceFormat& format : kSourceFormats) {
        for (const std::string_view known : format.extensions) {
            if (detail::equalIgnoringCase(extension, known)) {
                return &format;
            }
        }
    }
    return nullptr;
}

// The row whose signature a file's first kSignatureBytes bytes (fewer for a shorter file)
// show, for a file whose name says nothing: its extension missing or not one of the table's.
constexpr const SourceFormat* byContent(Head head) {
    for (const SourceFormat& format : kSourceFormats) {
        if (format.hasSignature(head)) {
            return &format;
        }
    }
    return nullptr;
}

}  // namespace sw::formats
