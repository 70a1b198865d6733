#include "mellorin/pending_file.h"

#include "common/kill_point.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

namespace mellorin {

namespace {

constexpr char kSuffix[] = ".part";
// Leaves room for ".", ".XXXXXX" and the suffix within a 255-byte file name.
constexpr size_t kMaxStemBytes = 200;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// "<folder>/.<name>." with the name cut to fit; the caller appends a unique tail.
std::string HiddenPrefix(const std::string& destination) {
    const size_t slash = destination.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : destination.substr(0, slash + 1);
    const std::string name = destination.substr(folder.size());
    return folder + "." + name.substr(0, kMaxStemBytes) + ".";
}

// The process's umask, read without changing it (umask() would race with other threads).
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
        }
    }
    return 022;
}

std::string ProcPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace

std::unique_ptr<PendingFile> PendingFile::Create(const std::string& destination, int* error) {
    sw::UniqueFd fd(::open(FolderOf(destination).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
    // Linking it into place later goes through /proc.
    if (fd.valid() && ::access(ProcPath(fd.get()).c_str(), F_OK) == 0) {
        return std::make_unique<PendingFile>(Key{}, std::move(fd), destination, std::string());
    }
    if (!fd.valid() && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        *error = errno;
        return nullptr;
    }
    std::string named = HiddenPrefix(destination) + "XXXXXX" + kSuffix;
    fd = sw::UniqueFd(::mkostemps(named.data(), sizeof kSuffix - 1, O_CLOEXEC));
    if (!fd.valid()) {
        *error = errno;
        return nullptr;
    }
    // mkstemp makes the file private; the finished file gets the usual permissions.
    ::fchmod(fd.get(), 0666 & ~CurrentUmask());
    return std::make_unique<PendingFile>(Key{}, std::move(fd), destination, std::move(named));
}

PendingFile::PendingFile(Key, sw::UniqueFd fd, std::string destination, std::string namedPath)
    : fd_(std::move(fd)), destination_(std::move(destination)), namedPath_(std::move(namedPath)) {}

PendingFile::~PendingFile() {
    if (!namedPath_.empty() && !committed_) {
        ::unlink(namedPath_.c_str());
    }
}

std::string PendingFile::Path() const {
    return namedPath_.empty() ? ProcPath(fd_.get()) : namedPath_;
}

int PendingFile::Commit() {
    if (::fsync(fd_.get()) != 0) {
        return errno;
    }
    sw::killPoint("link");
    if (namedPath_.empty()) {
        if (const int error = LinkUnnamed(); error != 0) {
            return error;
        }
    } else if (::rename(namedPath_.c_str(), destination_.c_str()) != 0) {
        return errno;
    }
    committed_ = true;
    return 0;
}

int PendingFile::LinkUnnamed() {
    const std::string self = ProcPath(fd_.get());
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, destination_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return 0;
    }
    if (errno != EEXIST) {
        return errno;
    }
    // A link can't replace a file: link under a free hidden name, then rename over it.
    static constexpr char kChars[] =
        "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::random_device random;
    std::uniform_int_distribution<size_t> pick(0, sizeof kChars - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string hidden = HiddenPrefix(destination_);
        for (int i = 0; i < 6; ++i) {
            hidden += kChars[pick(random)];
        }
        hidden += kSuffix;
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST) {
                continue;
            }
            return errno;
        }
        if (::rename(hidden.c_str(), destination_.c_str()) != 0) {
            const int error = errno;
            ::unlink(hidden.c_str());
            return error;
        }
        return 0;
    }
    return EEXIST;
}

}  // namespace mellorin
