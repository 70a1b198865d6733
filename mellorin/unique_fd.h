#pragma once

#include "common/unique_fd.h"

namespace mellorin {
using UniqueFd = sw::UniqueFd;
}  // namespace mellorin
