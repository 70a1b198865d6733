#include "mellorin/help101.h"

#include "mellorin/decode.h"

#include <cstring>

namespace {

constexpr size_t kMaxSourcePathBytes = 999;

}  // namespace

extern "C" int32_t Help101(const char* source, const char* output, void (*progress)(int32_t)) {
    try {
        if (source == nullptr || output == nullptr ||
            ::strnlen(source, kMaxSourcePathBytes + 1) > kMaxSourcePathBytes) {
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
