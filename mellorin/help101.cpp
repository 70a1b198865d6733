#include "mellorin/help101.h"

#include "mellorin/decode.h"

#include <limits>
#include <new>
#include <string>

namespace {

thread_local std::string t_lastError;

int32_t Finish(const mellorin::DecodeOutcome& outcome) {
    t_lastError = outcome.Text();
    switch (outcome.kind) {
        case mellorin::DecodeOutcome::Kind::Completed:
            return 1;
        case mellorin::DecodeOutcome::Kind::CompletedDamaged:
            return 2;
        default:
            return 0;
    }
}

}  // namespace

extern "C" int32_t Help101(const char* source, const char* output, void (*progress)(int32_t)) {
    try {
        if (source == nullptr || output == nullptr) {
            return Finish(mellorin::DecodeOutcome::Failed(mellorin::DecodeReason::NoPaths));
        }
        mellorin::DecodeOptions options;
        if (progress != nullptr) {
            options.progress = [progress](uint64_t bytes, double) {
                constexpr uint64_t kMax = std::numeric_limits<int32_t>::max();
                progress(static_cast<int32_t>(bytes < kMax ? bytes : kMax));
            };
        }
        return Finish(mellorin::DecodeFile(source, output, options));
    } catch (const std::bad_alloc&) {
        t_lastError = "out of memory";
    } catch (...) {
        t_lastError = "internal error";
    }
    return 0;
}

extern "C" const char* Help101LastError(void) {
    return t_lastError.c_str();
}
