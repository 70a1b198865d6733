#pragma once

#include <string_view>

namespace id3prop {

// Well-formed UTF-8: no stray or missing continuation bytes, overlong forms, surrogates or
// code points above U+10FFFF. TagLib turns malformed input into an empty string silently.
bool IsValidUtf8(std::string_view text);

}  // namespace id3prop
