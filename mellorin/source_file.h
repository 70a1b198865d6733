#pragma once

#include "common/unique_fd.h"
#include "mellorin/decode_error.h"

#include <optional>
#include <string>

namespace mellorin {

// `path` opened for reading, but only once stat (following links) has shown a regular file:
// opening a FIFO can block for good and opening a device can act on the hardware. On
// failure, nullopt and the reason in `error`.
std::optional<sw::UniqueFd> OpenSourceFile(const std::string& path, DecodeError* error);

// A name FFmpeg opens as the very file `fd` is open on, whatever the length of its path.
std::string FfmpegUrlOf(int fd, const std::string& path);

}  // namespace mellorin
