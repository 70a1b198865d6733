#pragma once

#include <cstdint>

namespace quillmark {

// The extension answers its host with the codes the converter's libraries share.
using ResultCode = std::uint32_t;
inline constexpr ResultCode kOk = 0;
inline constexpr ResultCode kFail = 0x80004005;
inline constexpr ResultCode kPointer = 0x80004003;
inline constexpr ResultCode kInvalidArg = 0x80070057;

}  // namespace quillmark
