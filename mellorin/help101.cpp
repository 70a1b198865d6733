#include "mellorin/help101.h"

#include "mellorin/decode.h"

#include <sys/stat.h>

#include <cstring>

namespace {

constexpr size_t kMaxSourcePathBytes = 999;

// Replacing the output must never truncate the file being decoded.
bool NamesTheSameFile(const char* source, const char* output) {
    struct stat a {};
    struct stat b {};
    return ::stat(source, &a) == 0 && ::stat(output, &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

}  // namespace

extern "C" int32_t Help101(const char* source, const char* output, void (*progress)(int32_t)) {
    try {
        if (source == nullptr || output == nullptr ||
            ::strnlen(source, kMaxSourcePathBytes + 1) > kMaxSourcePathBytes ||
            NamesTheSameFile(source, output)) {
            return 0;
        }
        const auto stream = mellorin::OpenAudioStream(source);
        if (!stream) {
            return 0;
        }
        return mellorin::DecodeToWave(*stream, output, progress) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
