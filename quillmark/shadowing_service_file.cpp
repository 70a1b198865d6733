#include "quillmark/shadowing_service_file.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <vector>

namespace quickconvert {
namespace {

// The folders as the bus finds them (dbus-daemon's standard session service folders), read
// from the environment every time rather than from GLib's cache, which a host program may
// have filled before its environment changed.
std::string UserServiceFolder() {
    const char* dataHome = g_getenv("XDG_DATA_HOME");
    g_autofree char* base = dataHome != nullptr && g_path_is_absolute(dataHome)
                                ? g_strdup(dataHome)
                                : g_build_filename(g_get_home_dir(), ".local", "share", nullptr);
    g_autofree char* folder = g_build_filename(base, "dbus-1", "services", nullptr);
    return folder;
}

std::vector<std::string> SystemServiceFolders() {
    const char* dataDirs = g_getenv("XDG_DATA_DIRS");
    g_auto(GStrv) dirs = g_strsplit(
        dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : "/usr/local/share:/usr/share",
        G_SEARCHPATH_SEPARATOR_S, -1);
    std::vector<std::string> folders;
    for (char** dir = dirs; *dir != nullptr; ++dir) {
        if (**dir != '\0') {
            g_autofree char* folder = g_build_filename(*dir, "dbus-1", "services", nullptr);
            folders.emplace_back(folder);
        }
    }
    folders.emplace_back("/usr/share/dbus-1/services");  // the bus's own data folder
    return folders;
}

// Whether two names lead to the same file: a system folder may be the user's under another
// spelling.
bool SameFile(const std::string& a, const std::string& b) {
    GStatBuf first;
    GStatBuf second;
    return g_stat(a.c_str(), &first) == 0 && g_stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

std::string RemoveShadowingServiceFile(std::string_view busName) {
    const std::string fileName = std::string(busName) + ".service";
    g_autofree char* userFile =
        g_build_filename(UserServiceFolder().c_str(), fileName.c_str(), nullptr);
    if (!g_file_test(userFile, G_FILE_TEST_IS_REGULAR)) {
        return {};
    }
    for (const std::string& folder : SystemServiceFolders()) {
        g_autofree char* installed = g_build_filename(folder.c_str(), fileName.c_str(), nullptr);
        if (g_file_test(installed, G_FILE_TEST_IS_REGULAR) && !SameFile(installed, userFile)) {
            return g_unlink(userFile) == 0 ? std::string(userFile) : std::string();
        }
    }
    return {};
}

}  // namespace quickconvert
