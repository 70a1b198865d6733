#pragma once

// Self-registration: the files that hook the extension into the file managers, written
// afresh on registration (each of ours force-removed first, so registering twice leaves one
// clean copy) and removed on unregistration, with the folders registration created for them
// once they are empty. What a system-wide install already provides is not written again: the
// file managers would show it twice.

#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

inline constexpr char kModuleFileName[] = "libquillmark-nautilus.so";

struct RegistrationPaths {
    std::string dataHome;       // holds kio/servicemenus, nemo/actions and icons/hicolor
    std::string extensionDir;   // GNOME Files loads its modules from here only
    std::string invokeProgram;  // quillmark-invoke, as written into every Exec= line
    std::string module;         // the GNOME Files module to link there; empty if not built
    // Data folders of the system install (XDG_DATA_DIRS); empty for a system registration.
    std::vector<std::string> systemDataDirs;
};

struct EntryFile {
    std::string relativePath;  // under RegistrationPaths::dataHome
    std::string contents;
    bool executable = false;  // Dolphin runs service menus from a user folder only if set
};

struct RegistrationOutcome {
    std::vector<std::string> done;     // paths written or removed
    std::vector<std::string> errors;   // entries that could not be written or removed, and why
    std::vector<std::string> skipped;  // entries the system install provides, and where
    std::string moduleNote;            // set when the GNOME Files module needs system registration
    bool ok() const { return errors.empty(); }
};

// The Dolphin service menus, the Nemo actions and the icon, for a given quillmark-invoke.
std::vector<EntryFile> DataEntries(std::string_view invokeProgram);

RegistrationOutcome Register(const RegistrationPaths& paths);
RegistrationOutcome Unregister(const RegistrationPaths& paths);

}  // namespace quillmark
