#include "core/engine/library_loader.h"

#include "core/settings/app_settings.h"

#include <QDir>
#include <QFile>

#include <dlfcn.h>

namespace {
QString& lastLoadError() {
    static QString error;
    return error;
}
}  // namespace

std::shared_ptr<LoadedLibrary> LoadedLibrary::load(const QString& fileName) {
    const QString local = QDir(programFolder()).filePath(fileName);
    void* handle = nullptr;
    if (QFile::exists(local)) {
        handle = dlopen(QFile::encodeName(local).constData(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!handle) {
        handle = dlopen(QFile::encodeName(fileName).constData(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!handle) {
        const char* reason = dlerror();
        lastLoadError() = reason ? QString::fromLocal8Bit(reason) : fileName;
        return nullptr;
    }
    return std::shared_ptr<LoadedLibrary>(new LoadedLibrary(handle));
}

LoadedLibrary::~LoadedLibrary() {
    dlclose(handle_);
}

void* LoadedLibrary::symbol(const char* name) const {
    return dlsym(handle_, name);
}

QString LoadedLibrary::lastError() {
    return lastLoadError();
}
