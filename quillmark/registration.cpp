#include "quillmark/registration.h"

#include "common/exec_quoting.h"
#include "quillmark/icon_svg.h"
#include "quillmark/wma_ext_core.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quillmark {
namespace {

struct Command {
    const char* id;
    std::string_view label;
    const char* mimeTypes;
    const char* extensions;
};

constexpr Command kToWma{"convertToWma", kMenuTextToWma, "audio/mpeg;audio/mp2;audio/x-wav;",
                         "mp3;mp2;wav;"};
constexpr Command kToWav{"convertToWav", kMenuTextToWav, "audio/x-ms-wma;", "wma;"};

std::string ServiceMenu(const Command& command, const std::string& exec) {
    // Type=Application keeps the file a valid desktop entry; NoDisplay keeps it out of menus.
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quillmark: " +
           std::string(command.label) +
           "\n"
           "Comment=" +
           std::string(kHelpText) +
           "\n"
           "Icon=" +
           std::string(kIconName) +
           "\n"
           "Exec=" +
           exec +
           "\n"
           "NoDisplay=true\n"
           "MimeType=" +
           command.mimeTypes +
           "\n"
           "Actions=" +
           command.id +
           ";\n"
           "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
           "X-KDE-Priority=TopLevel\n"
           "\n"
           "[Desktop Action " +
           command.id +
           "]\n"
           "Name=" +
           std::string(command.label) +
           "\n"
           "Icon=" +
           std::string(kIconName) +
           "\n"
           "Exec=" +
           exec + "\n";
}

std::string NemoAction(const Command& command, const std::string& exec) {
    return "[Nemo Action]\n"
           "Active=true\n"
           "Name=" +
           std::string(command.label) +
           "\n"
           "Comment=" +
           std::string(kHelpText) +
           "\n"
           "Icon-Name=" +
           std::string(kIconName) +
           "\n"
           "Exec=" +
           exec +
           "\n"
           "Selection=notnone\n"
           "Extensions=" +
           command.extensions + "\n";
}

std::string Join(const std::string& folder, std::string_view name) {
    g_autofree char* joined = g_build_filename(folder.c_str(), std::string(name).c_str(), nullptr);
    return joined;
}

std::string Reason(int error) {
    return g_strerror(error);
}

// Removes a file or link of ours; true when nothing is left at `path`.
bool RemoveEntry(const std::string& path, RegistrationOutcome& outcome, bool report) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return errno == ENOENT;
    }
    if (S_ISDIR(info.st_mode)) {
        outcome.errors.push_back(path + ": a folder is in the way");
        return false;
    }
    if (g_unlink(path.c_str()) != 0) {
        outcome.errors.push_back(path + ": " + Reason(errno));
        return false;
    }
    if (report) {
        outcome.done.push_back(path);
    }
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::string NeedsSystemRegistration(const std::string& folder, int error) {
    return "the GNOME Files module needs system registration: cannot write to " + folder + " (" +
           Reason(error) +
           "). Run 'quillmark-invoke --register' as administrator, or install Quillmark with "
           "'cmake --install'.";
}

void LinkModule(const RegistrationPaths& paths, RegistrationOutcome& outcome) {
    if (paths.module.empty()) {
        outcome.moduleNote = "the GNOME Files module was not found beside quillmark-invoke";
        return;
    }
    const std::string target = Join(paths.extensionDir, kModuleFileName);
    if (SameFile(paths.module, target)) {
        struct stat info {};
        if (lstat(target.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
            return;  // the installed module itself: nothing to link
        }
    }
    if (g_mkdir_with_parents(paths.extensionDir.c_str(), 0755) != 0) {
        outcome.moduleNote = NeedsSystemRegistration(paths.extensionDir, errno);
        return;
    }
    struct stat info {};
    if (lstat(target.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        // A module installed by the package: that copy stays the one GNOME Files loads.
        return;
    }
    if (g_unlink(target.c_str()) != 0 && errno != ENOENT) {
        outcome.moduleNote = NeedsSystemRegistration(paths.extensionDir, errno);
        return;
    }
    if (symlink(paths.module.c_str(), target.c_str()) != 0) {
        outcome.moduleNote = NeedsSystemRegistration(paths.extensionDir, errno);
        return;
    }
    outcome.done.push_back(target);
}

void UnlinkModule(const RegistrationPaths& paths, RegistrationOutcome& outcome) {
    const std::string target = Join(paths.extensionDir, kModuleFileName);
    struct stat info {};
    if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return;  // nothing of ours, or the package's own copy
    }
    if (g_unlink(target.c_str()) != 0) {
        outcome.moduleNote = NeedsSystemRegistration(paths.extensionDir, errno);
        return;
    }
    outcome.done.push_back(target);
}

}  // namespace

std::vector<EntryFile> DataEntries(std::string_view invokeProgram) {
    // "--" keeps a file named like an option a file.
    const std::string exec = sw::quoteExecArgument(invokeProgram) + " -- %F";
    return {
        {"kio/servicemenus/quillmark-convert-to-wma.desktop", ServiceMenu(kToWma, exec), true},
        {"kio/servicemenus/quillmark-convert-to-wav.desktop", ServiceMenu(kToWav, exec), true},
        {"nemo/actions/quillmark-convert-to-wma.nemo_action", NemoAction(kToWma, exec), false},
        {"nemo/actions/quillmark-convert-to-wav.nemo_action", NemoAction(kToWav, exec), false},
        {"icons/hicolor/scalable/apps/" + std::string(kIconName) + ".svg", std::string(kIconSvg),
         false},
    };
}

RegistrationOutcome Register(const RegistrationPaths& paths) {
    RegistrationOutcome outcome;
    for (const EntryFile& entry : DataEntries(paths.invokeProgram)) {
        const std::string path = Join(paths.dataHome, entry.relativePath);
        g_autofree char* folder = g_path_get_dirname(path.c_str());
        if (g_mkdir_with_parents(folder, 0755) != 0) {
            outcome.errors.push_back(std::string(folder) + ": " + Reason(errno));
            continue;
        }
        if (!RemoveEntry(path, outcome, false)) {
            continue;
        }
        g_autoptr(GError) error = nullptr;
        if (!g_file_set_contents_full(
                path.c_str(), entry.contents.data(), static_cast<gssize>(entry.contents.size()),
                G_FILE_SET_CONTENTS_CONSISTENT, entry.executable ? 0755 : 0644, &error)) {
            outcome.errors.push_back(path + ": " + error->message);
            continue;
        }
        outcome.done.push_back(path);
    }
    LinkModule(paths, outcome);
    return outcome;
}

RegistrationOutcome Unregister(const RegistrationPaths& paths) {
    RegistrationOutcome outcome;
    for (const EntryFile& entry : DataEntries(paths.invokeProgram)) {
        RemoveEntry(Join(paths.dataHome, entry.relativePath), outcome, true);
    }
    UnlinkModule(paths, outcome);
    return outcome;
}

}  // namespace quillmark
