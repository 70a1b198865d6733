#pragma once

#include "common/result_codes.h"
#include "mellorin/riff_file.h"
#include "mellorin/wave_format.h"

#include <cstdint>
#include <memory>

namespace mellorin {

// Writes a RIFF WAVE file ("fmt ", "fact", "data"). Sample bytes go straight into the
// file layer's buffer; the size fields and the "fact" value are only right after Close.
class CWaveWriter {
public:
    // The RIFF size field is 32 bits: a file whose size field would exceed it is refused.
    static constexpr uint64_t kMaxRiffSize = 0xFFFFFFFFu;

    // `maxRiffSize` lowers the limit so that tests can reach it.
    explicit CWaveWriter(uint64_t maxRiffSize = kMaxRiffSize);
    CWaveWriter(const CWaveWriter&) = delete;
    CWaveWriter& operator=(const CWaveWriter&) = delete;
    ~CWaveWriter();

    // `path` is UTF-8; an existing file is replaced. For formats other than PCM the
    // record's cbSize extra bytes must follow it in memory.
    sw::result::Code Open(const char* path, const WaveFormatEx* format);
    // Writes into the open, empty file `fd`, which the writer closes.
    sw::result::Code Open(sw::UniqueFd fd, const WaveFormatEx* format);
    // Appends `count` bytes; `written` receives how many were taken. A write that would
    // make the RIFF size overflow takes nothing and fails with sw::result::kFail.
    sw::result::Code Write(uint32_t count, const uint8_t* bytes, uint32_t* written);
    sw::result::Code Close();

    // errno of the I/O failure behind the last sw::result::kFail; 0 when no I/O failed (a write
    // refused for the RIFF size limit).
    int Error() const { return error_; }

private:
    sw::result::Code Start(std::unique_ptr<RiffFile> file, const WaveFormatEx* format);
    sw::result::Code Fail();
    sw::result::Code WriteHeader(const WaveFormatEx* format);
    sw::result::Code BeginData();

    const uint64_t maxRiffSize_;
    std::unique_ptr<RiffFile> file_;
    ChunkInfo riff_;
    ChunkInfo chunk_;
    BufferInfo buffer_;
    int error_ = 0;
};

}  // namespace mellorin
