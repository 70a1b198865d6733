// The one file URI reading: what local path a URI names, byte for byte, and what is no local
// file at all.

#include "common/file_uri.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct UriCase {
    std::string_view uri;
    std::optional<std::string> path;  // nothing: not a file of this machine
};

TEST(FileUri, DecodesTheLocalFilesOfThisMachineByteForByte) {
    const std::vector<UriCase> cases = {
        {"file:///music/a.mp3", "/music/a.mp3"},
        {"file:///music/two%20words.mp3", "/music/two words.mp3"},
        // Bytes that are not UTF-8 stay the bytes they were.
        {"file:///m/caf%E9%20%221%22.mp3", std::string("/m/caf\xE9 \"1\".mp3")},
        {"file:///m/%ff%FE.wma", std::string("/m/\xFF\xFE.wma")},
        {"file:///music/two%0Alines.mp3", "/music/two\nlines.mp3"},
        {"file:///m/caf%C3%A9.mp3", "/m/caf\xC3\xA9.mp3"},
        {"file://localhost/music/a.mp3", "/music/a.mp3"},
        {"FILE://LocalHost/music/a.mp3", "/music/a.mp3"},
        {"file:/music/a.mp3", "/music/a.mp3"},
        {"file:////music/a.mp3", "//music/a.mp3"},
        // What is no escape, and what a file name may hold, is part of the name.
        {"file:///m/100%.mp3", "/m/100%.mp3"},
        {"file:///m/50%zz.mp3", "/m/50%zz.mp3"},
        {"file:///m/a%2", "/m/a%2"},
        {"file:///m/a#1?.mp3", "/m/a#1?.mp3"},
        // Another machine's file is left alone, as is anything but a file URI.
        {"file://otherhost/music/a.mp3", std::nullopt},
        {"file://localhost.example/music/a.mp3", std::nullopt},
        {"file://localhost", std::nullopt},
        {"file:relative/a.mp3", std::nullopt},
        {"file:", std::nullopt},
        {"/music/a.mp3", std::nullopt},
        {"music/file:///a.mp3", std::nullopt},
        {"smb://server/share/a.mp3", std::nullopt},
        {"", std::nullopt},
        // No file name holds a NUL.
        {"file:///m/a%00b.mp3", std::nullopt},
        {std::string_view("file:///m/a\0b.mp3", 17), std::nullopt},
    };
    for (const UriCase& c : cases) {
        SCOPED_TRACE(std::string(c.uri));
        EXPECT_EQ(sw::uri::localPathFromFileUri(c.uri), c.path);
    }
}

}  // namespace
