#include "core/engine/mellorin_module.h"

#include "core/engine/decoder_reason.h"
#include "core/engine/library_loader.h"

#include <QCoreApplication>
#include <QFile>

#include <memory>

namespace sw::libs {
namespace {

using Help101Fn = int32_t (*)(const char*, const char*, ProgressCallback);
using LastErrorFn = const char* (*)();
using SetStringFn = int32_t (*)(const char*, const char*, const char*);
using SetDwordFn = int32_t (*)(const char*, const char*, uint32_t);
using SetPictureFn = int32_t (*)(const char*, const char*, const char*, uint32_t, const char*,
                                 const void*, uint32_t);

// Bound once, on the first call; a failed bind is tried again next time.
std::shared_ptr<LoadedLibrary> bindOnce(std::shared_ptr<LoadedLibrary>& slot, const char* name) {
    if (!slot) {
        slot = LoadedLibrary::load(QString::fromLatin1(name));
    }
    return slot;
}

std::shared_ptr<LoadedLibrary>& decoder() {
    static std::shared_ptr<LoadedLibrary> library;
    return library;
}

std::shared_ptr<LoadedLibrary>& tagWriter() {
    static std::shared_ptr<LoadedLibrary> library;
    return library;
}

}  // namespace

std::optional<int32_t> help101(const QString& source, const QString& output,
                               ProgressCallback progress, QString* error) {
    const auto library = bindOnce(decoder(), "libmellorin.so");
    const auto entry = library ? reinterpret_cast<Help101Fn>(library->symbol("Help101")) : nullptr;
    if (!entry) {
        if (error) {
            *error = QCoreApplication::translate("MellorinModule",
                                                 "The decoder library libmellorin.so could not be "
                                                 "loaded: %1")
                         .arg(LoadedLibrary::lastError());
        }
        return std::nullopt;
    }
    const int32_t result = entry(QFile::encodeName(source).constData(),
                                 QFile::encodeName(output).constData(), progress);
    const auto lastError = reinterpret_cast<LastErrorFn>(library->symbol("Help101LastError"));
    if (error && lastError) {
        *error = translatedDecoderReason(QString::fromUtf8(lastError()));
    }
    return result;
}

bool SetID3PropertyString(const QString& file, const QString& name, const QString& value) {
    const auto library = bindOnce(tagWriter(), "libid3prop.so");
    const auto entry =
        library ? reinterpret_cast<SetStringFn>(library->symbol("SetID3PropertyString")) : nullptr;
    return entry && entry(QFile::encodeName(file).constData(), name.toUtf8().constData(),
                          value.toUtf8().constData()) == 0;
}

bool SetID3PropertyDWORD(const QString& file, const QString& name, uint32_t value) {
    const auto library = bindOnce(tagWriter(), "libid3prop.so");
    const auto entry =
        library ? reinterpret_cast<SetDwordFn>(library->symbol("SetID3PropertyDWORD")) : nullptr;
    return entry &&
           entry(QFile::encodeName(file).constData(), name.toUtf8().constData(), value) == 0;
}

bool SetID3PropertyPicture(const QString& file, const QString& name, const QString& mimeType,
                           uint32_t pictureType, const QString& description,
                           const QByteArray& data) {
    const auto library = bindOnce(tagWriter(), "libid3prop.so");
    const auto entry =
        library ? reinterpret_cast<SetPictureFn>(library->symbol("SetID3PropertyPicture"))
                : nullptr;
    return entry &&
           entry(QFile::encodeName(file).constData(), name.toUtf8().constData(),
                 mimeType.toUtf8().constData(), pictureType, description.toUtf8().constData(),
                 data.constData(), static_cast<uint32_t>(data.size())) == 0;
}

}  // namespace sw::libs
