#include "id3prop/utf8.h"

#include <cstdint>

namespace id3prop {

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<uint8_t>(text[i]);
        int extra = 0;
        uint32_t code = 0;
        uint32_t least = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, code = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, code = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, code = lead & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i <= static_cast<size_t>(extra))
            return false;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

size_t Utf8PrefixForUtf16Units(std::string_view text, size_t maxUnits) {
    size_t bytes = 0;
    size_t units = 0;
    while (bytes < text.size()) {
        const auto lead = static_cast<uint8_t>(text[bytes]);
        const size_t length = lead < 0x80             ? 1
                              : (lead & 0xE0) == 0xC0 ? 2
                              : (lead & 0xF0) == 0xE0 ? 3
                                                      : 4;
        // Only four-byte sequences lie outside the basic plane and need a surrogate pair.
        const size_t needed = length == 4 ? 2 : 1;
        if (units + needed > maxUnits)
            break;
        units += needed;
        bytes += length;
    }
    return bytes < text.size() ? bytes : text.size();
}

}  // namespace id3prop
