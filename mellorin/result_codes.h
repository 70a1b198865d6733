#pragma once

#include <cstdint>

namespace mellorin {

// Result codes of the library's internal operations, with the values callers on every
// platform already know.
using HResult = int32_t;

inline constexpr HResult S_OK = 0;
inline constexpr HResult E_FAIL = static_cast<HResult>(0x80004005u);
inline constexpr HResult E_POINTER = static_cast<HResult>(0x80004003u);
inline constexpr HResult E_INVALIDARG = static_cast<HResult>(0x80070057u);
inline constexpr HResult E_OUTOFMEMORY = static_cast<HResult>(0x8007000Eu);
inline constexpr HResult CO_E_NOTINITIALIZED = static_cast<HResult>(0x800401F0u);

}  // namespace mellorin
