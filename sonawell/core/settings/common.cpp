#include "core/settings/common.h"

#include "common/unique_fd.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <limits>

namespace {

bool isSeparator(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

int64_t roundHalfEven(double value) {
    return static_cast<int64_t>(std::nearbyint(value));
}

}  // namespace

std::optional<int64_t> regularFileSize(const QString& path) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    // O_NONBLOCK keeps a FIFO from hanging the open.
    const sw::UniqueFd fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return static_cast<int64_t>(info.st_size);
}

QString trimAtNull(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

bool isDirectory(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QString deriveOutputPath(const QString& sourcePath) {
    const qsizetype dot = sourcePath.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) {
        return QString();
    }
    const bool isWma =
        sourcePath.mid(dot + 1).compare(QLatin1String("WMA"), Qt::CaseInsensitive) == 0;
    return sourcePath.left(dot + 1) + (isWma ? QStringLiteral("wav") : QStringLiteral("wma"));
}

QString extractFileName(const QString& path) {
    // The last character is not examined, so "dir/" gives "dir/".
    for (qsizetype i = path.size() - 2; i >= 0; --i) {
        if (isSeparator(path.at(i))) {
            return path.mid(i + 1);
        }
    }
    return path;
}

QString stripTrailingSeparator(const QString& path) {
    if (!path.isEmpty() && isSeparator(path.back())) {
        return path.left(path.size() - 1);
    }
    return path;
}

QString fileExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : path.mid(dot + 1);
}

QString makeTempFile(const QString& prefix) {
    QString folder = qEnvironmentVariable("TMPDIR");
    if (folder.isEmpty()) {
        folder = QStringLiteral("/tmp");
    }
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) {
        folder.chop(1);
    }
    // The prefix names a file, never a path elsewhere.
    QString safePrefix = prefix;
    safePrefix.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString pattern = (folder == QLatin1String("/") ? QString() : folder) + QLatin1Char('/') +
                            safePrefix + QStringLiteral("XXXXXX");
    QByteArray name = QFile::encodeName(pattern);
    const sw::UniqueFd fd(::mkstemp(name.data()));
    if (fd.get() < 0) {
        return QString();
    }
    return QFile::decodeName(name);
}

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

int64_t fileSizeBytes(const QString& path) {
    return regularFileSize(path).value_or(0);
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

PlacedPoint centerOnScreenPosition(int screenWidth, int screenHeight, int formWidth,
                                   int formHeight) {
    // The 0.85 lifts the form a little above the middle; the width is centred exactly.
    const int64_t top = roundHalfEven(screenHeight * 0.85) / 2 - roundHalfEven(formHeight) / 2;
    const int64_t left = roundHalfEven(screenWidth) / 2 - roundHalfEven(formWidth) / 2;
    return PlacedPoint{static_cast<int>(left), static_cast<int>(top)};
}

PlacedPoint centerOnOwnerPosition(int ownerLeft, int ownerTop, int ownerWidth, int ownerHeight,
                                  int width, int height) {
    const double x = ownerLeft + (static_cast<double>(ownerWidth) - width) / 2.0;
    const double y = ownerTop + (static_cast<double>(ownerHeight) - height) / 2.0;
    return PlacedPoint{static_cast<int>(roundHalfEven(x)), static_cast<int>(roundHalfEven(y))};
}

namespace {

QString normalPath(const QString& path) {
    QString unified = path;
    unified.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(QFileInfo(unified).absoluteFilePath());
}
}  // namespace

QString sourceFileProblem(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (path.isEmpty() || ::stat(name.constData(), &info) != 0) {
        return QCoreApplication::translate("SourceCheck", "file not found");
    }
    if (!S_ISREG(info.st_mode)) {
        return QCoreApplication::translate("SourceCheck", "not a regular file");
    }
    if (info.st_size == 0) {
        return QCoreApplication::translate("SourceCheck", "empty file");
    }
    if (::access(name.constData(), R_OK) != 0) {
        return QCoreApplication::translate("SourceCheck", "file cannot be read: ") +
               qt_error_string(errno);
    }
    return {};
}

bool isSameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) {
        return false;
    }
    const QString left = normalPath(a);
    const QString right = normalPath(b);
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(left).constData(), &sa) == 0 &&
        ::stat(QFile::encodeName(right).constData(), &sb) == 0) {
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }
    return left == right;
}
