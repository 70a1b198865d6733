#pragma once

#include <optional>

namespace mellorin {

// The play duration in seconds that the ASF header of the file open on `fd` declares, or
// nullopt for a file that is not ASF, a broadcast stream or an unreadable header. FFmpeg
// falls back to an estimate from the bit rate when the file is shorter than its header says,
// which is exactly when a truncated file needs the declared length.
std::optional<double> AsfDeclaredSeconds(int fd);

}  // namespace mellorin
