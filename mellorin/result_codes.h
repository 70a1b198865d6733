#pragma once

#include "common/result_codes.h"

namespace mellorin {

using HResult = sw::result::Code;
inline constexpr HResult S_OK = sw::result::kOk;
inline constexpr HResult E_FAIL = sw::result::kFail;
inline constexpr HResult E_INVALIDARG = sw::result::kInvalidArg;
inline constexpr HResult CO_E_NOTINITIALIZED = sw::result::kNotInitialized;

}  // namespace mellorin
