#include "mellorin/wave_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace mellorin {

namespace {

constexpr uint32_t kFactPending = 0xFFFFFFFFu;

void PutLe16(uint8_t* out, uint16_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

void PutLe32(uint8_t* out, uint32_t value) {
    PutLe16(out, static_cast<uint16_t>(value));
    PutLe16(out + 2, static_cast<uint16_t>(value >> 16));
}

}  // namespace

CWaveWriter::CWaveWriter(uint64_t maxRiffSize) : maxRiffSize_(maxRiffSize) {}

CWaveWriter::~CWaveWriter() {
    Close();
}

sw::result::Code CWaveWriter::Open(const char* path, const WaveFormatEx* format) {
    if (path == nullptr || format == nullptr) {
        return sw::result::kInvalidArg;
    }
    if (file_) {
        Close();
    }
    auto file = RiffFile::Create(path);
    if (!file) {
        error_ = errno;
        return sw::result::kFail;
    }
    return Start(std::move(file), format);
}

sw::result::Code CWaveWriter::Open(sw::UniqueFd fd, const WaveFormatEx* format) {
    if (!fd.valid() || format == nullptr) {
        return sw::result::kInvalidArg;
    }
    if (file_) {
        Close();
    }
    return Start(RiffFile::Adopt(std::move(fd)), format);
}

sw::result::Code CWaveWriter::Start(std::unique_ptr<RiffFile> file, const WaveFormatEx* format) {
    error_ = 0;
    file_ = std::move(file);
    if (const sw::result::Code hr = WriteHeader(format); hr != sw::result::kOk) {
        error_ = file_->Error();
        file_->Close();
        file_.reset();
        return hr;
    }
    return BeginData();
}

sw::result::Code CWaveWriter::Fail() {
    error_ = file_->Error();
    return sw::result::kFail;
}

sw::result::Code CWaveWriter::WriteHeader(const WaveFormatEx* format) {
    riff_ = {};
    riff_.formType = FourCC("WAVE");
    if (!file_->CreateChunk(riff_, true)) {
        return sw::result::kFail;
    }
    chunk_ = {};
    chunk_.id = FourCC("fmt ");
    chunk_.size = 16;
    if (!file_->CreateChunk(chunk_, false)) {
        return sw::result::kFail;
    }
    uint8_t record[sizeof(WaveFormatEx)];
    PutLe16(record, format->wFormatTag);
    PutLe16(record + 2, format->nChannels);
    PutLe32(record + 4, format->nSamplesPerSec);
    PutLe32(record + 8, format->nAvgBytesPerSec);
    PutLe16(record + 12, format->nBlockAlign);
    PutLe16(record + 14, format->wBitsPerSample);
    PutLe16(record + 16, format->cbSize);
    if (format->wFormatTag == kWaveFormatPcm) {
        if (!file_->Write(record, 16)) {
            return sw::result::kFail;
        }
    } else {
        const auto* extra = reinterpret_cast<const uint8_t*>(format) + sizeof(WaveFormatEx);
        if (!file_->Write(record, sizeof record) || !file_->Write(extra, format->cbSize)) {
            return sw::result::kFail;
        }
    }
    if (!file_->Ascend(chunk_)) {
        return sw::result::kFail;
    }
    chunk_ = {};
    chunk_.id = FourCC("fact");
    uint8_t pending[4];
    PutLe32(pending, kFactPending);
    if (!file_->CreateChunk(chunk_, false) || !file_->Write(pending, 4) || !file_->Ascend(chunk_)) {
        return sw::result::kFail;
    }
    return sw::result::kOk;
}

sw::result::Code CWaveWriter::BeginData() {
    if (!file_) {
        return sw::result::kNotInitialized;
    }
    chunk_ = {};
    chunk_.id = FourCC("data");
    if (!file_->CreateChunk(chunk_, false) || !file_->GetInfo(buffer_)) {
        return Fail();
    }
    return sw::result::kOk;
}

sw::result::Code CWaveWriter::Write(uint32_t count, const uint8_t* bytes, uint32_t* written) {
    if (!file_) {
        return sw::result::kNotInitialized;
    }
    if (bytes == nullptr || written == nullptr) {
        return sw::result::kInvalidArg;
    }
    *written = 0;
    error_ = 0;
    const uint64_t dataSoFar = buffer_.fileOffset +
                               static_cast<uint64_t>(buffer_.next - buffer_.begin) -
                               chunk_.dataOffset;
    const uint64_t dataAfter = dataSoFar + count;
    const uint64_t riffAfter = chunk_.dataOffset - riff_.dataOffset + dataAfter + (dataAfter & 1);
    if (riffAfter > maxRiffSize_) {
        return sw::result::kFail;
    }
    while (*written < count) {
        if (buffer_.next == buffer_.endWrite) {
            buffer_.dirty = true;
            if (!file_->Advance(buffer_)) {
                return Fail();
            }
        }
        const auto room = static_cast<uint32_t>(buffer_.endWrite - buffer_.next);
        const uint32_t n = std::min(count - *written, room);
        std::memcpy(buffer_.next, bytes + *written, n);
        buffer_.next += n;
        *written += n;
    }
    return sw::result::kOk;
}

sw::result::Code CWaveWriter::Close() {
    buffer_.dirty = true;
    if (!file_) {
        return sw::result::kNotInitialized;
    }
    // The file is released whatever step fails, so a writer never keeps a descriptor open.
    const std::unique_ptr<RiffFile> file = std::move(file_);
    const auto fail = [&] {
        error_ = file->Error();
        file->Close();
        return sw::result::kFail;
    };
    if (!file->SetInfo(buffer_) || !file->Ascend(chunk_) || !file->Ascend(riff_) ||
        !file->Seek(0) || !file->DescendRiff(riff_)) {
        return fail();
    }
    if (file->DescendFind(chunk_, riff_, FourCC("fact"))) {
        const uint8_t zero[4] = {0, 0, 0, 0};
        if (!file->Write(zero, 4) || !file->Ascend(chunk_)) {
            return fail();
        }
    }
    if (!file->Ascend(riff_)) {
        return fail();
    }
    if (!file->Close()) {
        // A failed close(2) is the one failure the file layer does not record.
        error_ = file->Error() != 0 ? file->Error() : errno;
        return sw::result::kFail;
    }
    return sw::result::kOk;
}

}  // namespace mellorin
