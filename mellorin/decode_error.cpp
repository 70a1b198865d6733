#include "mellorin/decode_error.h"

namespace mellorin {

std::string DecodeError::Text() const {
    switch (reason) {
        case DecodeReason::None:
            return {};
        case DecodeReason::FileNotFound:
            return "file not found";
        case DecodeReason::NotRegularFile:
            return "not a regular file";
        case DecodeReason::EmptyFile:
            return "empty file";
        case DecodeReason::CannotReadSource:
            return "cannot read the source: " + detail;
        case DecodeReason::NotAudio:
            return "not an audio file the decoder accepts: " + detail;
        case DecodeReason::OutputIsSource:
            return "the output is the source file";
        case DecodeReason::CannotCreateOutput:
            return "cannot create the output: " + detail;
        case DecodeReason::DiskFull:
            return "disk full: " + detail;
        case DecodeReason::CannotWriteOutput:
            return "cannot write the output: " + detail;
        case DecodeReason::WaveTooLarge:
            return "the WAVE output would exceed its 4 GiB limit";
        case DecodeReason::CannotDecode:
            return "cannot decode the source: " + detail;
        case DecodeReason::NothingDecoded:
            return "source damaged: no audio could be decoded";
        case DecodeReason::NoPaths:
            return "no source or output given";
        case DecodeReason::OutOfMemory:
            return "out of memory";
        case DecodeReason::Internal:
            return "internal error";
        case DecodeReason::Stopped:
            return "stopped";
    }
    return "internal error";
}

}  // namespace mellorin
