#include "core/engine/decoder_reason.h"

#include <QCoreApplication>

#include <cmath>

using mellorin::DecodeReason;

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("DecoderReason", text);
}

QString seconds(double value) {
    return QString::number(std::llround(value));
}

}  // namespace

QString decoderReasonText(const mellorin::DecodeError& error) {
    const QString detail = QString::fromStdString(error.detail);
    switch (error.reason) {
        case DecodeReason::None:
            return {};
        case DecodeReason::FileNotFound:
            return tr(QT_TRANSLATE_NOOP("DecoderReason", "file not found"));
        case DecodeReason::NotRegularFile:
            return tr(QT_TRANSLATE_NOOP("DecoderReason", "not a regular file"));
        case DecodeReason::EmptyFile:
            return tr(QT_TRANSLATE_NOOP("DecoderReason", "empty file"));
        case DecodeReason::CannotReadSource:
            return tr(QT_TRANSLATE_NOOP("DecoderReason", "cannot read the source: ")) + detail;
        case DecodeReason::NotAudio:
            return tr(QT_TRANSLATE_NOOP("DecoderReason",
                                        "not an audio file the decoder accepts: ")) +
                   detail;
        case DecodeReason::OutputIsSource:
            return tr(QT_TRANSLATE_NOOP("DecoderReason", "the output is the source file"));
        case DecodeReason::CannotCreateOutput:
            return tr(QT_TRANSLATE_NOOP("DecoderReason", "cannot create the output: ")) + detail;
        case DecodeReason::DiskFull:
            return tr(QT_TRANSLATE_NOOP("DecoderReason", "disk full: ")) + detail;
        case DecodeReason::CannotWriteOutput:
            return tr(QT_TRANSLATE_NOOP("DecoderReason", "cannot write the output: ")) + detail;
        case DecodeReason::WaveTooLarge:
            return tr(
                QT_TRANSLATE_NOOP("DecoderReason", "the WAVE output would exceed its 4 GiB limit"));
        case DecodeReason::CannotDecode:
            return tr(QT_TRANSLATE_NOOP("DecoderReason", "cannot decode the source: ")) + detail;
        case DecodeReason::NothingDecoded:
            return tr(
                QT_TRANSLATE_NOOP("DecoderReason", "source damaged: no audio could be decoded"));
        case DecodeReason::NoPaths:
            return tr(QT_TRANSLATE_NOOP("DecoderReason", "no source or output given"));
        case DecodeReason::OutOfMemory:
            return tr(QT_TRANSLATE_NOOP("DecoderReason", "out of memory"));
        case DecodeReason::Internal:
            return tr(QT_TRANSLATE_NOOP("DecoderReason", "internal error"));
        case DecodeReason::Stopped:
            return {};
    }
    return tr(QT_TRANSLATE_NOOP("DecoderReason", "internal error"));
}

ConversionOutcome conversionOutcome(const mellorin::DecodeOutcome& outcome) {
    using Kind = mellorin::DecodeOutcome::Kind;
    switch (outcome.kind) {
        case Kind::Completed:
            return {ConversionOutcome::Kind::Done, {}};
        case Kind::CompletedDamaged:
            return {
                ConversionOutcome::Kind::DoneDamaged,
                outcome.declaredSeconds
                    ? tr(QT_TRANSLATE_NOOP("DecoderReason", "source damaged: %1 of %2 s"))
                          .arg(seconds(outcome.decodedSeconds), seconds(*outcome.declaredSeconds))
                    : tr(QT_TRANSLATE_NOOP("DecoderReason", "source damaged: %1 s decoded"))
                          .arg(seconds(outcome.decodedSeconds))};
        case Kind::Stopped:
            return {ConversionOutcome::Kind::Stopped, {}};
        case Kind::Failed:
            break;
    }
    return {ConversionOutcome::Kind::Failed, decoderReasonText(outcome.error)};
}
