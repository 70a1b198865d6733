#include "core/formats/format_lookup.h"

#include "core/fs/file_head.h"
#include "core/fs/path_text.h"
#include "core/jobs/job.h"

namespace {

const sw::formats::SourceFormat* byName(const QString& path) {
    return sw::formats::byFileName(path.toUtf8().toStdString());
}

const sw::formats::SourceFormat* byContent(const QString& path) {
    const QByteArray head = fileHead(path, sw::formats::kSignatureBytes);
    return sw::formats::byContent(
        sw::formats::Head(reinterpret_cast<const unsigned char*>(head.constData()),
                          static_cast<size_t>(head.size())));
}

QString extensionText(sw::formats::Output output) {
    const std::string_view extension = sw::formats::outputExtension(output);
    return QString::fromLatin1(extension.data(), static_cast<qsizetype>(extension.size()));
}

}  // namespace

const sw::formats::SourceFormat* sourceFormatOf(const QString& path) {
    const sw::formats::SourceFormat* format = byName(path);
    return format != nullptr ? format : byContent(path);
}

std::optional<DerivedOutput> deriveOutput(const QString& source, sw::formats::Output decodeTo) {
    const auto becomes = [decodeTo](const sw::formats::SourceFormat& format) {
        return format.becomes == sw::formats::Output::Wave ? decodeTo : format.becomes;
    };
    if (const sw::formats::SourceFormat* format = byName(source)) {
        const QString stem = source.left(source.size() - fileExtension(source).size());
        return DerivedOutput{stem + extensionText(becomes(*format)), becomes(*format)};
    }
    // The name's last dot may be part of the name itself ("Live at 3.30pm"): keep all of it.
    if (const sw::formats::SourceFormat* format = byContent(source)) {
        return DerivedOutput{source + QLatin1Char('.') + extensionText(becomes(*format)),
                             becomes(*format)};
    }
    return std::nullopt;
}

QString profileFor(sw::formats::Output output, const QString& wmaProfile) {
    switch (output) {
        case sw::formats::Output::Wave:
            return kWaveProfile;
        case sw::formats::Output::Flac:
            return kFlacProfile;
        case sw::formats::Output::Wma:
            break;
    }
    return wmaProfile;
}
