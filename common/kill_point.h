#pragma once

// Moments at which the kill-at-any-moment test ends the program. With SONAWELL_KILL_AT set to
// "<point>:<n>", the process raises SIGKILL on itself the n-th time it reaches that point (n
// defaults to 1). Without it a point costs one check of a flag read once.

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <string_view>

namespace sw {

namespace detail {

struct KillAt {
    std::string_view point;
    long count = 0;  // 0: no point named
};

inline KillAt killAtFromEnvironment() {
    const char* text = std::getenv("SONAWELL_KILL_AT");
    if (text == nullptr || *text == '\0') {
        return {};
    }
    const std::string_view value(text);
    const std::size_t colon = value.rfind(':');
    if (colon == std::string_view::npos) {
        return {value, 1};
    }
    const long count = std::strtol(text + colon + 1, nullptr, 10);
    return {value.substr(0, colon), count > 0 ? count : 1};
}

}  // namespace detail

inline void killPoint(std::string_view point) {
    static const detail::KillAt wanted = detail::killAtFromEnvironment();
    static std::atomic<long> reached{0};
    if (wanted.count > 0 && point == wanted.point && ++reached == wanted.count) {
        std::raise(SIGKILL);
    }
}

}  // namespace sw
