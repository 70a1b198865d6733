#pragma once

#include <cstdint>

namespace mellorin {

inline constexpr uint16_t kWaveFormatPcm = 1;

// The extended wave-format record as it is laid out in a file: 18 bytes, little-endian,
// followed in memory by `cbSize` extra bytes for formats other than PCM.
#pragma pack(push, 1)
struct WaveFormatEx {
    uint16_t wFormatTag;
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
    uint16_t cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormatEx) == 18);

}  // namespace mellorin
