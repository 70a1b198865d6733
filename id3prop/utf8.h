#pragma once

#include <cstddef>
#include <string_view>

namespace id3prop {

// Well-formed UTF-8: no stray or missing continuation bytes, overlong forms, surrogates or
// code points above U+10FFFF. TagLib turns malformed input into an empty string silently.
bool IsValidUtf8(std::string_view text);

// The length in bytes of the longest prefix of well-formed `text` that takes at most
// `maxUnits` UTF-16 code units; it never ends inside a character.
size_t Utf8PrefixForUtf16Units(std::string_view text, size_t maxUnits);

}  // namespace id3prop
