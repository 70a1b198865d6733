#include "mellorin/asf_duration.h"

#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstring>

namespace mellorin {

namespace {

using Guid = std::array<uint8_t, 16>;

// GUIDs as the file stores them (the first three fields little-endian).
constexpr Guid kHeaderObject{0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                             0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kFileProperties{0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                               0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};

constexpr uint64_t kObjectHeaderSize = 24;  // GUID and 64-bit size
constexpr uint64_t kHeaderObjectSize = 30;  // plus object count and two reserved bytes
constexpr uint32_t kBroadcastFlag = 0x1;    // durations are not valid

uint64_t Le(const uint8_t* bytes, int count) {
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

bool ReadAt(int fd, uint64_t offset, uint8_t* out, size_t count) {
    return ::pread(fd, out, count, static_cast<off_t>(offset)) == static_cast<ssize_t>(count);
}

bool IsGuid(const uint8_t* bytes, const Guid& guid) {
    return std::memcmp(bytes, guid.data(), guid.size()) == 0;
}

}  // namespace

std::optional<double> AsfDeclaredSeconds(int fd) {
    uint8_t object[kObjectHeaderSize];
    if (!ReadAt(fd, 0, object, sizeof object) || !IsGuid(object, kHeaderObject)) {
        return std::nullopt;
    }
    const uint64_t headerEnd = Le(object + 16, 8);
    for (uint64_t at = kHeaderObjectSize; at + kObjectHeaderSize <= headerEnd;) {
        if (!ReadAt(fd, at, object, sizeof object)) {
            return std::nullopt;
        }
        const uint64_t size = Le(object + 16, 8);
        if (IsGuid(object, kFileProperties)) {
            // File ID, file size, creation date and packet count come first.
            uint8_t fields[28];
            if (size < kObjectHeaderSize + 40 + sizeof fields ||
                !ReadAt(fd, at + kObjectHeaderSize + 40, fields, sizeof fields) ||
                (Le(fields + 24, 4) & kBroadcastFlag) != 0) {
                return std::nullopt;
            }
            const double play = static_cast<double>(Le(fields, 8)) / 1e7;          // 100 ns units
            const double preroll = static_cast<double>(Le(fields + 16, 8)) / 1e3;  // ms
            return play > preroll ? play - preroll : 0.0;
        }
        if (size < kObjectHeaderSize || size > headerEnd - at) {
            return std::nullopt;
        }
        at += size;
    }
    return std::nullopt;
}

}  // namespace mellorin
