#pragma once

#include <QMetaType>
#include <QString>

#include <exception>
#include <string>

namespace sw {

// What went wrong, for the code that must tell failures apart; the user reads the text.
enum class ErrorCode {
    None,
    // The encoder still has a run under way.
    Busy,
    NoOutput,
    NoProfile,
    // The source is not a readable, non-empty regular file.
    SourceMissing,
    SourceNotFile,
    SourceEmpty,
    SourceUnreadable,
    // The source is a file, but its content is not audio the encoder reads.
    FormatNotAccepted,
    // A completed run from a source cut short: the text says how much of it decoded.
    SourceDamaged,
    OutputNotWritable,
    // This FFmpeg lacks the WMA encoder or the ASF writer, or the run's threads can't start.
    EncoderUnavailable,
    EncodeFailed,
    OutOfMemory,
};

// The one error type of the program: raised by engine and encoder code, caught at each event
// handler's boundary, and carried in a run's outcome. A default one is no error.
class Error : public std::exception {
public:
    Error() = default;
    Error(ErrorCode code, QString text)
        : code_(code), text_(std::move(text)), what_(text_.toStdString()) {}

    ErrorCode code() const noexcept { return code_; }
    // Translated, for the user.
    const QString& text() const noexcept { return text_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    ErrorCode code_ = ErrorCode::None;
    QString text_;
    std::string what_;
};

[[noreturn]] inline void Fail(ErrorCode code, QString text) {
    throw Error(code, std::move(text));
}

// True for the codes that say the source itself was refused, not the set-up or the run.
inline bool IsSourceRefusal(ErrorCode code) {
    return code == ErrorCode::SourceMissing || code == ErrorCode::SourceNotFile ||
           code == ErrorCode::SourceEmpty || code == ErrorCode::SourceUnreadable ||
           code == ErrorCode::FormatNotAccepted;
}

}  // namespace sw

Q_DECLARE_METATYPE(sw::Error)
