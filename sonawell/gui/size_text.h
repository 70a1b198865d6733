#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// A size as the job list shows it: "5.2M", one decimal rounded half up, no grouping, the
// system locale's decimal separator; "-" when there is no size.
QString formatSizeMB(std::optional<int64_t> size);
