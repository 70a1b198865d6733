// The table of formats: which names and which first bytes it takes, and what each becomes.

#include "common/audio_formats.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using sw::formats::Output;
using sw::formats::SourceFormat;

namespace {

struct NameCase {
    const char* name;
    const char* format;  // the row's name; "" when the table does not take the file
};

std::string FormatByName(const char* name) {
    const SourceFormat* format = sw::formats::byFileName(name);
    return format != nullptr ? std::string(format->name) : std::string();
}

TEST(FormatByName, TheExtensionAfterTheLastDotInAnyCase) {
    const std::vector<NameCase> cases = {
        {"song.mp3", "MP3"},
        {"song.MP3", "MP3"},
        {"/music/Take.Mp2", "MP2"},
        {"tone.wav", "WAVE"},
        {"voice.WMA", "WMA"},
        {"a.b.wma", "WMA"},
        {"/music/live.2001/a.b.wav", "WAVE"},
        {"C:\\Music\\a.mp3", "MP3"},
        {".mp3", "MP3"},
        // A dot is required: the letters alone are no extension.
        {"xmp3", ""},
        {"/music/xwma", ""},
        {"mp3", ""},
        {"song", ""},
        {"", ""},
        {"song.", ""},
        {"song.mp3.bak", ""},
        {"song.mp3 ", ""},
        {"song.mp4", ""},
        {"song.flac", "FLAC"},
        {"song.OGG", "Ogg Vorbis"},
        {"song.oga", "Ogg Vorbis"},
        {"song.opus", "Opus"},
        {"song.m4a", "MPEG-4 audio"},
        {"book.m4b", "MPEG-4 audiobook"},
        {"song.aac", "AAC"},
        {"song.aif", "AIFF"},
        {"song.aiff", "AIFF"},
        {"song.aifc", "AIFF"},
        {"song.wv", "WavPack"},
        {"song.ape", "Monkey's Audio"},
        {"song.flac.txt", ""},
        {"/music/album.mp3/track01", ""},
        {"C:\\Music.mp3\\track01", ""},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatByName(c.name), c.format);
    }
}

TEST(FormatTable, MpegAndWaveBecomeWmaAndWmaBecomesWave) {
    for (const char* other :
         {"a.flac", "a.ogg", "a.opus", "a.m4a", "a.m4b", "a.aac", "a.aiff", "a.wv", "a.ape"}) {
        EXPECT_EQ(sw::formats::byFileName(other)->becomes, Output::Wma) << other;
    }
    EXPECT_EQ(sw::formats::outputExtension(Output::Flac), "flac");
    EXPECT_EQ(sw::formats::byFileName("a.mp3")->becomes, Output::Wma);
    EXPECT_EQ(sw::formats::byFileName("a.mp2")->becomes, Output::Wma);
    EXPECT_EQ(sw::formats::byFileName("a.wav")->becomes, Output::Wma);
    EXPECT_EQ(sw::formats::byFileName("a.wma")->becomes, Output::Wave);
    EXPECT_EQ(sw::formats::outputExtension(Output::Wma), "wma");
    EXPECT_EQ(sw::formats::outputExtension(Output::Wave), "wav");
}

// --- By content --------------------------------------------------------------------------------

using Bytes = std::vector<unsigned char>;

std::string FormatByContent(const Bytes& head) {
    const SourceFormat* format = sw::formats::byContent(head);
    return format != nullptr ? std::string(format->name) : std::string();
}

Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes kAsfHeader{0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                       0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

TEST(FormatByContent, TheSignatureInTheFirstBytes) {
    struct Case {
        const char* what;
        Bytes head;
        const char* format;
    };
    const std::vector<Case> cases = {
        {"ID3v2 tag", Cat(Text("ID3"), {0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21}), "MP3"},
        {"MPEG-1 layer III frame, 128 kbps, 44.1 kHz", {0xFF, 0xFB, 0x90, 0x64}, "MP3"},
        {"MPEG-2 layer III frame", {0xFF, 0xF3, 0x64, 0xC4}, "MP3"},
        {"MPEG-1 layer II frame, 192 kbps", {0xFF, 0xFD, 0xA4, 0x00}, "MP2"},
        {"RIFF WAVE", Cat(Text("RIFF"), Cat({0x24, 0x08, 0x00, 0x00}, Text("WAVEfmt "))), "WAVE"},
        {"ASF header object", kAsfHeader, "WMA"},
        {"FLAC stream", Text("fLaC\0\0\0\x22"), "FLAC"},
        {"Ogg page", Text("OggS\0\x02"), "Ogg Vorbis"},
        {"MP4 file type box", Cat({0x00, 0x00, 0x00, 0x20}, Text("ftypM4A ")), "MPEG-4 audio"},
        {"ADTS AAC frame", {0xFF, 0xF1, 0x50, 0x80}, "AAC"},
        {"AIFF", Cat(Text("FORM"), Cat({0x00, 0x00, 0x10, 0x00}, Text("AIFFCOMM"))), "AIFF"},
        {"AIFF-C", Cat(Text("FORM"), Cat({0x00, 0x00, 0x10, 0x00}, Text("AIFCFVER"))), "AIFF"},
        {"WavPack block", Text("wvpk\x20\0\0\0"), "WavPack"},
        {"Monkey's Audio", Text("MAC \x96\x0f"), "Monkey's Audio"},
        // Near misses.
        {"RIFF of another kind", Cat(Text("RIFF"), Cat({0x24, 0x08, 0x00, 0x00}, Text("AVI LIST"))),
         ""},
        {"MPEG frame with the reserved version", {0xFF, 0xEB, 0x90, 0x64}, ""},
        {"MPEG layer I frame", {0xFF, 0xFF, 0x90, 0x64}, ""},
        {"FORM of another kind", Cat(Text("FORM"), Cat({0x00, 0x00, 0x10, 0x00}, Text("8SVX"))),
         ""},
        {"MPEG frame with the bad bitrate", {0xFF, 0xFB, 0xF0, 0x64}, ""},
        {"MPEG frame with the reserved sample rate", {0xFF, 0xFB, 0x9C, 0x64}, ""},
        {"ASF header cut short", Bytes(kAsfHeader.begin(), kAsfHeader.begin() + 15), ""},
        {"RIFF cut short", Cat(Text("RIFF"), Cat({0x24, 0x08, 0x00, 0x00}, Text("WAV"))), ""},
        {"text", Text("just some notes\n"), ""},
        {"nothing", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FormatByContent(c.head), c.format);
    }
    EXPECT_GE(sw::formats::kSignatureBytes, kAsfHeader.size());
}

// --- What the desktop entry promises -----------------------------------------------------------

std::string DesktopEntryMimeTypes() {
    const char* source = std::getenv("SONAWELL_SOURCE_DIR");
    if (source == nullptr) {
        ADD_FAILURE() << "SONAWELL_SOURCE_DIR is not set";
        return {};
    }
    std::ifstream entry(std::string(source) +
                        "/sonawell/app/data/io.github.sonawell.Sonawell.desktop");
    std::string line;
    while (std::getline(entry, line)) {
        if (line.starts_with("MimeType=")) {
            return line.substr(9);
        }
    }
    ADD_FAILURE() << "the desktop entry has no MimeType";
    return {};
}

// The program shows up in "Open With" for exactly the types the table takes.
TEST(FormatTable, TheDesktopEntryListsEveryTypeOfTheTable) {
    std::set<std::string> listed;
    std::stringstream types(DesktopEntryMimeTypes());
    for (std::string type; std::getline(types, type, ';');) {
        if (!type.empty()) {
            listed.insert(type);
        }
    }
    std::set<std::string> table;
    for (const SourceFormat& format : sw::formats::kSourceFormats) {
        table.insert(format.mimeTypes.begin(), format.mimeTypes.end());
    }
    EXPECT_EQ(listed, table);
}

}  // namespace
