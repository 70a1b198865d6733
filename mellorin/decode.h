#pragma once

#include "mellorin/decode_error.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace mellorin {

// Size of the one buffer that decoded audio moves through.
inline constexpr size_t kDecodeBufferSize = 128000;

// A decode that falls this far short of the length the source declares is from a damaged source.
inline constexpr double kDamageShortfallSeconds = 0.5;

struct DecodeOutcome {
    enum class Kind { Completed, CompletedDamaged, Failed, Stopped };
    Kind kind = Kind::Failed;
    DecodeError error;  // why it failed; None for a completion
    // Of a damaged source: what decoded, and what the source declares when it does.
    double decodedSeconds = 0;
    std::optional<double> declaredSeconds;

    static DecodeOutcome Failed(DecodeReason reason, std::string detail = {}) {
        DecodeOutcome outcome;
        outcome.error = {reason, std::move(detail)};
        return outcome;
    }

    // Empty for a clean completion; else the English reason, as Help101LastError documents it.
    std::string Text() const;
};

struct DecodeOptions {
    // After each block: the sample bytes written so far, and the share of the source's
    // declared length they hold (0 when it declares none).
    std::function<void(uint64_t bytes, double fraction)> progress;
    // Checked between blocks; a set flag ends the decode as Stopped, the output unchanged.
    const std::atomic<bool>* cancel = nullptr;
    // Called with a name of the complete, still unnamed output just before it is put in
    // place, e.g. to tag it; the output name never holds the file without what this adds.
    std::function<void(const std::string& pendingPath)> finish;
};

// Decodes the primary audio stream of `source` to the WAVE file `output` (replaced when it
// exists), both UTF-8 paths. The output changes only when the outcome is a completion.
DecodeOutcome DecodeFile(const std::string& source, const std::string& output,
                         const DecodeOptions& options = {});

// The share of a source's length that `bytes` of sample data hold: 0..1, 0 when unknown.
double DecodedFraction(uint64_t bytes, uint32_t bytesPerSecond,
                       std::optional<double> declaredSeconds);

}  // namespace mellorin
