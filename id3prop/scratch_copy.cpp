#include "id3prop/scratch_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "common/unique_fd.h"

namespace id3prop {

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool CopyContents(int from, int to) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!WriteAll(to, buffer.data(), static_cast<size_t>(n)))
            return false;
    }
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ScratchCopy::ScratchCopy(const std::string& original) : m_original(original) {
    m_ready = Make();
}

ScratchCopy::~ScratchCopy() {
    if (!m_path.empty() && !m_replaced)
        ::unlink(m_path.c_str());
}

bool ScratchCopy::Make() {
    const sw::UniqueFd source(::open(m_original.c_str(), O_RDONLY | O_CLOEXEC));
    if (!source.valid())
        return false;
    struct stat info {};
    if (::fstat(source.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;

    // A hidden name, so a file manager showing the folder doesn't offer it as a track.
    std::string pattern = FolderOf(m_original) + "/." + NameOf(m_original) + ".XXXXXX";
    sw::UniqueFd copy(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!copy.valid())
        return false;
    m_path = pattern;
    // Keeps the owner where that is permitted (a privileged caller); elsewhere the copy,
    // and so the file, becomes the caller's, who could write it anyway.
    [[maybe_unused]] const int owned = ::fchown(copy.get(), info.st_uid, info.st_gid);
    if (::fchmod(copy.get(), info.st_mode & 07777) != 0)
        return false;
    return CopyContents(source.get(), copy.get()) && copy.close();
}

// No fsync: it cost ~20 ms a call, seven calls per job, and the encoder that wrote the file
// didn't sync it either. The copy is what guards against a failed save.
bool ScratchCopy::Replace() {
    if (!m_ready || m_replaced)
        return false;
    if (::rename(m_path.c_str(), m_original.c_str()) != 0)
        return false;
    m_replaced = true;
    return true;
}

}  // namespace id3prop
