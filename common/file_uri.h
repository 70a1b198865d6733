#pragma once

// The one reading of a "file:" URI, shared by the converter and Quillmark: file managers fill
// in URIs (%U), and a name that is not UTF-8 crosses the bus as one, since a bus string must
// be UTF-8.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sw::uri {

namespace detail {

constexpr bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != prefix[i]) {
            return false;
        }
    }
    return true;
}

constexpr int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace detail

// The local path, as the file system's bytes, that `text` names when it is a file URI of this
// machine: "file:///path", "file://localhost/path" or "file:/path", scheme and host in any
// letter case. Each %XX is the byte XX, whatever encoding the bytes make up; a "%" that starts
// no such pair, and "?" and "#", are part of the name. Nothing for anything else: a plain path,
// another scheme, another host's file, or a NUL, encoded or not, which no file name holds.
inline std::optional<std::string> localPathFromFileUri(std::string_view text) {
    if (!detail::startsWithIgnoringCase(text, "file:")) {
        return std::nullopt;
    }
    std::string_view rest = text.substr(5);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() &&
            !(host.size() == 9 && detail::startsWithIgnoringCase(host, "localhost"))) {
            return std::nullopt;
        }
        rest.remove_prefix(slash);
    } else if (!rest.starts_with('/')) {
        return std::nullopt;
    }
    std::string path;
    path.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && detail::hexValue(rest[i + 1]) >= 0 &&
            detail::hexValue(rest[i + 2]) >= 0) {
            const char byte = static_cast<char>(detail::hexValue(rest[i + 1]) * 16 +
                                                detail::hexValue(rest[i + 2]));
            if (byte == '\0') {
                return std::nullopt;
            }
            path += byte;
            i += 2;
        } else if (rest[i] == '\0') {
            // Cut there by every C call, it would name another file.
            return std::nullopt;
        } else {
            path += rest[i];
        }
    }
    return path;
}

}  // namespace sw::uri
