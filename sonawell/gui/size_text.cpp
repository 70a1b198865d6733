#include "gui/size_text.h"

#include <QLocale>

QString formatSizeMB(std::optional<int64_t> size) {
    if (!size) {
        return QStringLiteral("-");
    }
    // Whole tenths of a megabyte in integers, halves rounded up like the "###0.0" pattern, so
    // no size loses precision to a double.
    constexpr uint64_t kMegabyte = uint64_t{1} << 20;
    const auto bytes = static_cast<uint64_t>(*size);
    const uint64_t tenths =
        (bytes / kMegabyte) * 10 + ((bytes % kMegabyte) * 10 + kMegabyte / 2) / kMegabyte;
    return QString::number(tenths / 10) + QLocale::system().decimalPoint() +
           QString::number(tenths % 10) + QLatin1Char('M');
}
