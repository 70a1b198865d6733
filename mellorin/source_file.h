#pragma once

#include "mellorin/unique_fd.h"

#include <optional>
#include <string>

namespace mellorin {

// `path` opened for reading, but only once stat (following links) has shown a regular file:
// opening a FIFO can block for good and opening a device can act on the hardware. On
// failure, nullopt and the reason in `error` ("file not found", "not a regular file",
// "empty file", "cannot read the source: <reason>").
std::optional<UniqueFd> OpenSourceFile(const std::string& path, std::string* error);

// A name FFmpeg opens as the very file `fd` is open on, whatever the length of its path.
std::string FfmpegUrlOf(int fd, const std::string& path);

}  // namespace mellorin
