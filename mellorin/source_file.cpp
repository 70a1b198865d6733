#include "mellorin/source_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mellorin {

namespace {

DecodeError CannotRead(int err) {
    return {DecodeReason::CannotReadSource, std::strerror(err)};
}

}  // namespace

std::optional<sw::UniqueFd> OpenSourceFile(const std::string& path, DecodeError* error) {
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0) {
        *error = errno == ENOENT ? DecodeError{DecodeReason::FileNotFound, {}} : CannotRead(errno);
        return std::nullopt;
    }
    if (!S_ISREG(before.st_mode)) {
        *error = {DecodeReason::NotRegularFile, {}};
        return std::nullopt;
    }
    // Should the name be swapped for a FIFO after the stat, O_NONBLOCK still returns at once
    // and the fstat below refuses it.
    sw::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid()) {
        *error = CannotRead(errno);
        return std::nullopt;
    }
    struct stat opened {};
    if (::fstat(fd.get(), &opened) != 0) {
        *error = CannotRead(errno);
        return std::nullopt;
    }
    if (!S_ISREG(opened.st_mode)) {
        *error = {DecodeReason::NotRegularFile, {}};
        return std::nullopt;
    }
    if (opened.st_size == 0) {
        *error = {DecodeReason::EmptyFile, {}};
        return std::nullopt;
    }
    return fd;
}

std::string FfmpegUrlOf(int fd, const std::string& path) {
    // The descriptor's own name keeps FFmpeg on the file checked above; without /proc the
    // path will do. "file:" keeps a colon in a name from reading as a protocol.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return "file:" + (::access(self.c_str(), R_OK) == 0 ? self : path);
}

}  // namespace mellorin
