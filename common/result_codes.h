#pragma once

#include <cstdint>

// The result codes the libraries and the extension return, with the values callers on every
// platform already know.
namespace sw::result {

using Code = int32_t;

inline constexpr Code kOk = 0;
inline constexpr Code kFail = static_cast<Code>(0x80004005u);
inline constexpr Code kPointer = static_cast<Code>(0x80004003u);
inline constexpr Code kInvalidArg = static_cast<Code>(0x80070057u);
inline constexpr Code kOutOfMemory = static_cast<Code>(0x8007000Eu);
inline constexpr Code kNotInitialized = static_cast<Code>(0x800401F0u);

}  // namespace sw::result
