#include "core/settings/ini_values.h"

#include <algorithm>
#include <limits>

QString trimAtNull(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

std::optional<int32_t> leadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    bool anyDigit = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9') {
            break;
        }
        anyDigit = true;
        if (magnitude < kLimit) {
            magnitude = magnitude * 10 + (c - u'0');
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    if (negative) {
        return static_cast<int32_t>(-std::min(magnitude, kLimit));
    }
    return static_cast<int32_t>(std::min(magnitude, kLimit - 1));
}
