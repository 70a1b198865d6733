// The decoder on arbitrary (mostly mutated WMA) sources: the output is a complete WAVE file,
// or there is none, and nothing is left beside it.
//
// Input: the source's bytes.

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_files.h"
#include "mellorin/decode.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

uint32_t le32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
    }
    return value;
}

uint16_t le16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                 static_cast<uint8_t>(bytes[at + 1]) << 8);
}

// A RIFF WAVE file whose sizes add up: 16-bit PCM "fmt ", a "data" chunk of whole sample
// frames after it, nothing past the RIFF chunk, and the "fact" value the writer sets to 0 only
// when it closes the file.
bool isCompleteWave(const std::string& wave) {
    if (wave.size() < 12 || wave.compare(0, 4, "RIFF") != 0 || wave.compare(8, 4, "WAVE") != 0 ||
        le32(wave, 4) != wave.size() - 8) {
        return false;
    }
    uint16_t blockAlign = 0;
    bool sawData = false;
    int64_t factFrames = -1;
    size_t at = 12;
    while (at < wave.size()) {
        if (wave.size() - at < 8) {
            return false;
        }
        const std::string id = wave.substr(at, 4);
        const uint32_t size = le32(wave, at + 4);
        const size_t body = at + 8;
        if (size > wave.size() - body) {
            return false;
        }
        if (id == "fmt ") {
            if (size < 16 || le16(wave, body) != 1 || le16(wave, body + 2) == 0 ||
                le16(wave, body + 14) != 16) {
                return false;
            }
            blockAlign = le16(wave, body + 12);
            if (blockAlign != le16(wave, body + 2) * 2) {
                return false;
            }
        } else if (id == "fact" && size >= 4) {
            factFrames = le32(wave, body);
        } else if (id == "data") {
            if (blockAlign == 0 || size % blockAlign != 0) {
                return false;
            }
            sawData = true;
        }
        at = body + size + (size & 1);
    }
    return sawData && at == wave.size() &&
           factFrames == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ClearScratchFolder();
    const std::string source = fuzz::ScratchFolder() + "/source.wma";
    const std::string output = fuzz::ScratchFolder() + "/output.wav";
    FUZZ_CHECK(fuzz::WriteFile(source, std::string(reinterpret_cast<const char*>(data), size)));

    const mellorin::DecodeOutcome outcome = mellorin::DecodeFile(source, output);
    using Kind = mellorin::DecodeOutcome::Kind;
    FUZZ_CHECK(outcome.kind != Kind::Stopped);
    if (outcome.kind == Kind::Failed) {
        FUZZ_CHECK(!fuzz::Exists(output));
        FUZZ_CHECK(fuzz::CountEntries(fuzz::ScratchFolder()) == 1);
        FUZZ_CHECK(!outcome.Text().empty());
    } else {
        FUZZ_CHECK(isCompleteWave(fuzz::ReadFile(output)));
        FUZZ_CHECK(fuzz::CountEntries(fuzz::ScratchFolder()) == 2);
        FUZZ_CHECK((outcome.kind == Kind::Completed) == outcome.Text().empty());
    }
    return 0;
}
