#include "core/engine/decoder_reason.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

// Whole reasons, and leads that the system's or the decoder's own words follow.
constexpr const char* kWhole[] = {
    QT_TRANSLATE_NOOP("DecoderReason", "file not found"),
    QT_TRANSLATE_NOOP("DecoderReason", "not a regular file"),
    QT_TRANSLATE_NOOP("DecoderReason", "empty file"),
    QT_TRANSLATE_NOOP("DecoderReason", "the output is the source file"),
    QT_TRANSLATE_NOOP("DecoderReason", "the WAVE output would exceed its 4 GiB limit"),
    QT_TRANSLATE_NOOP("DecoderReason", "source damaged: no audio could be decoded"),
    QT_TRANSLATE_NOOP("DecoderReason", "no source or output given"),
    QT_TRANSLATE_NOOP("DecoderReason", "out of memory"),
    QT_TRANSLATE_NOOP("DecoderReason", "internal error"),
};
constexpr const char* kLeads[] = {
    QT_TRANSLATE_NOOP("DecoderReason", "cannot read the source: "),
    QT_TRANSLATE_NOOP("DecoderReason", "not an audio file the decoder accepts: "),
    QT_TRANSLATE_NOOP("DecoderReason", "cannot create the output: "),
    QT_TRANSLATE_NOOP("DecoderReason", "disk full: "),
    QT_TRANSLATE_NOOP("DecoderReason", "cannot write the output: "),
    QT_TRANSLATE_NOOP("DecoderReason", "cannot decode the source: "),
};

}  // namespace

QString translatedDecoderReason(const QString& reason) {
    for (const char* whole : kWhole) {
        if (reason == QLatin1String(whole)) {
            return QCoreApplication::translate("DecoderReason", whole);
        }
    }
    for (const char* lead : kLeads) {
        if (reason.startsWith(QLatin1String(lead))) {
            return QCoreApplication::translate("DecoderReason", lead) + reason.mid(qstrlen(lead));
        }
    }
    static const QRegularExpression damaged(
        QStringLiteral("^source damaged: (\\d+) (?:of (\\d+) s|s decoded)$"));
    if (const auto match = damaged.match(reason); match.hasMatch()) {
        return match.capturedLength(2) > 0
                   ? QCoreApplication::translate("DecoderReason", "source damaged: %1 of %2 s")
                         .arg(match.captured(1), match.captured(2))
                   : QCoreApplication::translate("DecoderReason", "source damaged: %1 s decoded")
                         .arg(match.captured(1));
    }
    return reason;
}
