#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mellorin {

using ProgressCallback = void (*)(int32_t);

// Size of the one buffer that decoded audio moves through.
inline constexpr size_t kDecodeBufferSize = 128000;

// A decode that falls this far short of the length the source declares is from a damaged source.
inline constexpr double kDamageShortfallSeconds = 0.5;

struct DecodeOutcome {
    enum class Kind { Completed, CompletedDamaged, Failed };
    Kind kind = Kind::Failed;
    // Empty for a clean completion; else the user's reason, as Help101LastError documents it.
    std::string text;
};

// Decodes the primary audio stream of `source` to the WAVE file `output` (replaced when it
// exists), both UTF-8 paths. After each block, `progress` (may be null) gets the bytes written
// so far, saturated at INT32_MAX. The output changes only when the outcome is a completion.
DecodeOutcome DecodeFile(const std::string& source, const std::string& output,
                         ProgressCallback progress);

}  // namespace mellorin
