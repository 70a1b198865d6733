#pragma once

#include <QString>

#include <memory>

// A library loaded by name: from the program folder first, then by the dynamic linker's own
// search. Unloaded when the last holder goes.
class LoadedLibrary {
public:
    static std::shared_ptr<LoadedLibrary> load(const QString& fileName);
    ~LoadedLibrary();
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    void* symbol(const char* name) const;
    // Why the last load failed, for the user.
    static QString lastError();

private:
    explicit LoadedLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};
