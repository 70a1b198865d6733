#include "mellorin/riff_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace mellorin {

namespace {

bool WriteAllAt(int fd, const uint8_t* bytes, size_t count, uint64_t offset) {
    while (count > 0) {
        const ssize_t n = ::pwrite(fd, bytes, count, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes += n;
        count -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

bool ReadAllAt(int fd, uint8_t* bytes, size_t count, uint64_t offset) {
    while (count > 0) {
        const ssize_t n = ::pread(fd, bytes, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes += n;
        count -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

void PutLe32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint32_t GetLe32(const uint8_t* in) {
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
           static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

}  // namespace

std::unique_ptr<RiffFile> RiffFile::Create(const std::string& path, size_t bufferSize) {
    return Adopt(sw::UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)),
                 bufferSize);
}

std::unique_ptr<RiffFile> RiffFile::Adopt(sw::UniqueFd fd, size_t bufferSize) {
    if (!fd.valid() || bufferSize == 0) {
        return nullptr;
    }
    return std::make_unique<RiffFile>(Key{}, std::move(fd), bufferSize);
}

RiffFile::RiffFile(Key, sw::UniqueFd fd, size_t bufferSize)
    : fd_(std::move(fd)),
      buffer_(std::make_unique_for_overwrite<uint8_t[]>(bufferSize)),
      capacity_(bufferSize) {}

bool RiffFile::Failed() {
    error_ = errno;
    return false;
}

bool RiffFile::Flush() {
    if (!fd_.valid() || lent_) {
        return false;
    }
    if (used_ > 0 && !WriteAllAt(fd_.get(), buffer_.get(), used_, bufferOffset_)) {
        return Failed();
    }
    bufferOffset_ += used_;
    used_ = 0;
    return true;
}

bool RiffFile::Seek(uint64_t offset) {
    if (!Flush()) {
        return false;
    }
    bufferOffset_ = offset;
    return true;
}

bool RiffFile::Write(const void* bytes, size_t count) {
    if (!fd_.valid() || lent_) {
        return false;
    }
    auto* in = static_cast<const uint8_t*>(bytes);
    while (count > 0) {
        if (used_ == capacity_ && !Flush()) {
            return false;
        }
        const size_t n = std::min(count, capacity_ - used_);
        std::memcpy(buffer_.get() + used_, in, n);
        used_ += n;
        in += n;
        count -= n;
    }
    return true;
}

bool RiffFile::Read(void* bytes, size_t count) {
    if (!Flush() || !ReadAllAt(fd_.get(), static_cast<uint8_t*>(bytes), count, bufferOffset_)) {
        return false;
    }
    bufferOffset_ += count;
    return true;
}

bool RiffFile::CreateChunk(ChunkInfo& chunk, bool riff) {
    uint8_t header[12];
    if (riff) {
        chunk.id = FourCC("RIFF");
    }
    PutLe32(header, chunk.id);
    PutLe32(header + 4, chunk.size);
    PutLe32(header + 8, chunk.formType);
    const uint64_t start = Tell();
    if (!Write(header, riff ? 12 : 8)) {
        return false;
    }
    chunk.dataOffset = start + 8;
    chunk.created = true;
    return true;
}

bool RiffFile::Ascend(ChunkInfo& chunk) {
    if (!chunk.created) {
        const uint64_t size = chunk.size;
        return Seek(chunk.dataOffset + size + (size & 1));
    }
    const uint64_t end = Tell();
    if (end < chunk.dataOffset) {
        return false;
    }
    const uint64_t size = end - chunk.dataOffset;
    if (size > std::numeric_limits<uint32_t>::max()) {
        return false;
    }
    if (size & 1) {
        const uint8_t pad = 0;
        if (!Write(&pad, 1)) {
            return false;
        }
    }
    uint8_t field[4];
    PutLe32(field, static_cast<uint32_t>(size));
    if (!Flush()) {
        return false;
    }
    if (!WriteAllAt(fd_.get(), field, 4, chunk.dataOffset - 4)) {
        return Failed();
    }
    chunk.size = static_cast<uint32_t>(size);
    return true;
}

bool RiffFile::DescendRiff(ChunkInfo& riff) {
    uint8_t header[12];
    const uint64_t start = Tell();
    if (!Read(header, sizeof header) || GetLe32(header) != FourCC("RIFF")) {
        return false;
    }
    riff.id = GetLe32(header);
    riff.size = GetLe32(header + 4);
    riff.formType = GetLe32(header + 8);
    riff.dataOffset = start + 8;
    riff.created = false;
    return true;
}

bool RiffFile::DescendFind(ChunkInfo& chunk, const ChunkInfo& parent, uint32_t id) {
    const uint64_t end = parent.dataOffset + parent.size;
    while (Tell() + 8 <= end) {
        uint8_t header[8];
        if (!Read(header, sizeof header)) {
            return false;
        }
        const uint64_t size = GetLe32(header + 4);
        if (GetLe32(header) == id) {
            chunk.id = id;
            chunk.size = static_cast<uint32_t>(size);
            chunk.formType = 0;
            chunk.dataOffset = Tell();
            chunk.created = false;
            return true;
        }
        if (!Seek(Tell() + size + (size & 1))) {
            return false;
        }
    }
    return false;
}

bool RiffFile::GetInfo(BufferInfo& info) {
    if (!Flush()) {
        return false;
    }
    lent_ = true;
    info = {buffer_.get(), buffer_.get(), buffer_.get() + capacity_, bufferOffset_, false};
    return true;
}

bool RiffFile::Advance(BufferInfo& info) {
    if (!lent_ || info.begin != buffer_.get() || info.next < info.begin ||
        info.next > info.endWrite) {
        return false;
    }
    const auto count = static_cast<size_t>(info.next - info.begin);
    if (info.dirty && count > 0) {
        if (!WriteAllAt(fd_.get(), buffer_.get(), count, bufferOffset_)) {
            Failed();
            // Cut off whatever part of the buffer made it, so that the file ends at the last
            // whole buffer and the sizes fixed up later describe what is on disk.
            if (::ftruncate(fd_.get(), static_cast<off_t>(bufferOffset_)) == 0) {
                info.next = info.begin;
                info.dirty = false;
            }
            return false;
        }
        bufferOffset_ += count;
    }
    info.next = info.begin;
    info.fileOffset = bufferOffset_;
    info.dirty = false;
    return true;
}

bool RiffFile::SetInfo(const BufferInfo& info) {
    if (!lent_ || info.begin != buffer_.get() || info.next < info.begin ||
        info.next > info.endWrite) {
        return false;
    }
    lent_ = false;
    used_ = info.dirty ? static_cast<size_t>(info.next - info.begin) : 0;
    return true;
}

bool RiffFile::Close() {
    if (!fd_.valid()) {
        return false;
    }
    lent_ = false;
    const bool flushed = Flush();
    const bool closed = fd_.close();
    return flushed && closed;
}

}  // namespace mellorin
