#pragma once

#include "common/unique_fd.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace mellorin {

// Four-character chunk id as it appears in the file ("RIFF", "fmt ").
constexpr uint32_t FourCC(const char (&id)[5]) {
    return static_cast<uint32_t>(static_cast<unsigned char>(id[0])) |
           static_cast<uint32_t>(static_cast<unsigned char>(id[1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(id[2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(id[3])) << 24;
}

struct ChunkInfo {
    uint32_t id = 0;
    uint32_t size = 0;
    uint32_t formType = 0;    // RIFF chunks only
    uint64_t dataOffset = 0;  // file offset of the first byte after the size field
    bool created = false;     // written by us: leaving it fixes its size field
};

// The layer's buffer, lent to a caller that fills it directly. Bytes between `begin`
// and `next` belong at file offset `fileOffset` onwards.
struct BufferInfo {
    uint8_t* begin = nullptr;
    uint8_t* next = nullptr;
    uint8_t* endWrite = nullptr;
    uint64_t fileOffset = 0;
    bool dirty = false;
};

// A buffered RIFF file opened for writing (and reading back its own chunks): chunks are
// created, left with their size fixed and padded to an even length, and found again by id.
// Every operation returns false on an I/O failure.
class RiffFile {
    struct Key {};

public:
    static constexpr size_t kDefaultBufferSize = 64 * 1024;

    // Creates (or truncates) `path`.
    static std::unique_ptr<RiffFile> Create(const std::string& path,
                                            size_t bufferSize = kDefaultBufferSize);
    // Writes into the open, empty file `fd` from its start.
    static std::unique_ptr<RiffFile> Adopt(sw::UniqueFd fd, size_t bufferSize = kDefaultBufferSize);

    RiffFile(Key, sw::UniqueFd fd, size_t bufferSize);
    RiffFile(const RiffFile&) = delete;
    RiffFile& operator=(const RiffFile&) = delete;
    ~RiffFile() = default;

    uint64_t Tell() const { return bufferOffset_ + used_; }
    bool Seek(uint64_t offset);
    bool Write(const void* bytes, size_t count);
    bool Read(void* bytes, size_t count);

    // Writes the chunk header at the current position; `riff` adds the form type.
    bool CreateChunk(ChunkInfo& chunk, bool riff);
    // For a created chunk: pads it to an even length and writes its true size. For a chunk
    // found by Descend: moves past its end.
    bool Ascend(ChunkInfo& chunk);
    // Reads a RIFF header at the current position.
    bool DescendRiff(ChunkInfo& riff);
    // Searches `parent` from the current position for the chunk `id` and enters its data.
    bool DescendFind(ChunkInfo& chunk, const ChunkInfo& parent, uint32_t id);

    // Lends the buffer out empty, with everything written so far on disk.
    bool GetInfo(BufferInfo& info);
    // Writes out the lent buffer's bytes and hands it back empty. When the write fails the
    // buffer's bytes are dropped and the file ends where it ended before.
    bool Advance(BufferInfo& info);
    // Takes the buffer back; its bytes are kept when it is marked dirty.
    bool SetInfo(const BufferInfo& info);

    // Writes out pending bytes and closes the file.
    bool Close();

    // errno of the last system call that failed, 0 when none did.
    int Error() const { return error_; }

private:
    bool Flush();
    bool Failed();

    sw::UniqueFd fd_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t capacity_;
    size_t used_ = 0;
    uint64_t bufferOffset_ = 0;
    bool lent_ = false;
    int error_ = 0;
};

}  // namespace mellorin
