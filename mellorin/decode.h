#pragma once

#include "mellorin/audio_stream.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace mellorin {

using ProgressCallback = void (*)(int32_t);

// Size of the one buffer that decoded audio moves through.
inline constexpr size_t kDecodeBufferSize = 128000;

// The primary audio stream of the UTF-8 path `source`, or nullptr when it can't be opened.
std::unique_ptr<AudioStream> OpenAudioStream(const std::string& source);

// Decodes `stream` to the WAVE file `output` (replaced when it exists). After each block,
// `progress` (may be null) gets the bytes written so far, saturated at INT32_MAX. On a
// failure after the output was opened it is closed, keeping the blocks written.
bool DecodeToWave(AudioStream& stream, const std::string& output, ProgressCallback progress);

}  // namespace mellorin
