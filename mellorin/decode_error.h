#pragma once

#include <string>

namespace mellorin {

// Why a decode did not complete. Codes rather than texts, so a caller can word them in the
// user's language; Text() gives the English words Help101LastError documents.
enum class DecodeReason {
    None,
    FileNotFound,
    NotRegularFile,
    EmptyFile,
    CannotReadSource,  // detail: the system's reason
    NotAudio,          // detail: what was found
    OutputIsSource,
    CannotCreateOutput,  // detail: the system's reason
    DiskFull,            // detail: the system's reason
    CannotWriteOutput,   // detail: the system's reason
    WaveTooLarge,
    CannotDecode,  // detail: the decoder's reason
    NothingDecoded,
    NoPaths,
    OutOfMemory,
    Internal,
    Stopped,
};

struct DecodeError {
    DecodeReason reason = DecodeReason::None;
    std::string detail;

    std::string Text() const;
};

}  // namespace mellorin
