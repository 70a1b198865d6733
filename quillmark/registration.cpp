#include "quillmark/registration.h"

#include "common/audio_formats.h"
#include "common/exec_quoting.h"
#include "quillmark/entry_texts.h"
#include "quillmark/icon_svg.h"
#include "quillmark/l10n.h"
#include "quillmark/menu_texts.h"
#include "quillmark/wma_ext_core.h"

#include <glib.h>
#include <glib/gi18n-lib.h>
#include <glib/gstdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>

namespace quillmark {
namespace {

// One menu command: the sources the table of formats turns into `output`.
struct Command {
    CommandTexts texts;
    sw::formats::Output output;
};

constexpr Command kToWma{kToWmaTexts, sw::formats::Output::Wma};
constexpr Command kToWav{kToWavTexts, sw::formats::Output::Wave};

// "audio/mpeg;audio/mp2;": each source type by its shared-mime-info name, the name the file
// managers give a file's type.
std::string MimeTypes(const Command& command) {
    std::string list;
    for (const sw::formats::SourceFormat& format : sw::formats::kSourceFormats) {
        if (format.becomes == command.output) {
            list += std::string(format.mimeTypes.front()) + ";";
        }
    }
    return list;
}

// The Nemo action's list of extensions: "mp3;mp2;wav;".
std::string Extensions(const Command& command) {
    std::string list;
    for (const sw::formats::SourceFormat& format : sw::formats::kSourceFormats) {
        if (format.becomes == command.output) {
            for (const std::string_view extension : format.extensions) {
                list += std::string(extension) + ";";
            }
        }
    }
    return list;
}

constexpr char kServiceMenuPrefix[] = "Quillmark: ";

// Where registration notes the folders it created, relative to the data folder, so that
// unregistration removes those and no one else's.
constexpr char kCreatedFoldersRecord[] = "quillmark/created-folders";

// The translations of a command's `key` ("Name", "Comment") as Key[xx]= lines, each value
// after `prefix`. Desktop-entry escapes are kept as the catalogue's merge wrote them.
std::string Translations(GKeyFile* texts, const Command& command, const char* key,
                         std::string_view prefix = {}) {
    std::string lines;
    g_auto(GStrv) keys = g_key_file_get_keys(texts, command.texts.id, nullptr, nullptr);
    const std::string localized = std::string(key) + "[";
    for (char** name = keys; name != nullptr && *name != nullptr; ++name) {
        if (g_str_has_prefix(*name, localized.c_str())) {
            g_autofree char* value = g_key_file_get_value(texts, command.texts.id, *name, nullptr);
            lines += std::string(*name) + "=" + std::string(prefix) + value + "\n";
        }
    }
    return lines;
}

std::string ServiceMenu(GKeyFile* texts, const Command& command, const std::string& exec) {
    const std::string id = command.texts.id;
    const std::string icon(kIconName);
    // Type=Application keeps the file a valid desktop entry; NoDisplay keeps it out of menus.
    std::string text = "[Desktop Entry]\nType=Application\n";
    text += "Name=" + std::string(kServiceMenuPrefix) + command.texts.label + "\n";
    text += Translations(texts, command, "Name", kServiceMenuPrefix);
    text += "Comment=" + std::string(command.texts.help) + "\n";
    text += Translations(texts, command, "Comment");
    text += "Icon=" + icon + "\nExec=" + exec + "\nNoDisplay=true\n";
    text += "MimeType=" + MimeTypes(command) + "\nActions=" + id + ";\n";
    text += "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\nX-KDE-Priority=TopLevel\n";
    text += "\n[Desktop Action " + id + "]\n";
    text += "Name=" + std::string(command.texts.label) + "\n";
    text += Translations(texts, command, "Name");
    text += "Icon=" + icon + "\nExec=" + exec + "\n";
    return text;
}

std::string NemoAction(GKeyFile* texts, const Command& command, const std::string& exec) {
    std::string text = "[Nemo Action]\nActive=true\n";
    text += "Name=" + std::string(command.texts.label) + "\n";
    text += Translations(texts, command, "Name");
    text += "Comment=" + std::string(command.texts.help) + "\n";
    text += Translations(texts, command, "Comment");
    text += "Icon-Name=" + std::string(kIconName) + "\nExec=" + exec + "\n";
    text += "Selection=notnone\nExtensions=" + Extensions(command) + "\n";
    return text;
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
        outcome.errors.push_back(Format(_("%s: a folder is in the way"), path.c_str()));
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
    return Format(_("the GNOME Files module needs system registration: cannot write to %s (%s). "
                    "Run 'quillmark-invoke --register' as administrator, or install Quillmark "
                    "with 'cmake --install'."),
                  folder.c_str(), Reason(error).c_str());
}

void LinkModule(const RegistrationPaths& paths, RegistrationOutcome& outcome) {
    if (paths.module.empty()) {
        outcome.moduleNote = _("the GNOME Files module was not found beside quillmark-invoke");
        return;
    }
    const std::string target = Join(paths.extensionDir, kModuleFileName);
    if (SameFile(paths.module, target)) {
        struct stat info {};
        if (lstat(target.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
            outcome.skipped.push_back(
                Format(_("%s: installed, GNOME Files loads it"), target.c_str()));
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
        outcome.skipped.push_back(Format(_("%s: installed, GNOME Files loads it"), target.c_str()));
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

// The system install's copy of an entry, or "" when it has none.
std::string SystemCopy(const RegistrationPaths& paths, const std::string& relativePath) {
    const std::string ours = Join(paths.dataHome, relativePath);
    for (const std::string& folder : paths.systemDataDirs) {
        const std::string theirs = Join(folder, relativePath);
        if (g_file_test(theirs.c_str(), G_FILE_TEST_EXISTS) && !SameFile(theirs, ours)) {
            return theirs;
        }
    }
    return {};
}

std::set<std::string> ReadCreatedFolders(const std::string& dataHome) {
    std::set<std::string> folders;
    g_autofree char* text = nullptr;
    if (g_file_get_contents(Join(dataHome, kCreatedFoldersRecord).c_str(), &text, nullptr,
                            nullptr)) {
        g_auto(GStrv) lines = g_strsplit(text, "\n", -1);
        for (char** line = lines; *line != nullptr; ++line) {
            if (**line != '\0') {
                folders.insert(*line);
            }
        }
    }
    return folders;
}

// Creates `relativeFolder` under `dataHome` one level at a time, noting each level it made.
bool MakeFolders(const std::string& dataHome, const std::string& relativeFolder,
                 std::set<std::string>& created, RegistrationOutcome& outcome) {
    if (g_mkdir_with_parents(dataHome.c_str(), 0755) != 0) {
        outcome.errors.push_back(dataHome + ": " + Reason(errno));
        return false;
    }
    g_auto(GStrv) levels = g_strsplit(relativeFolder.c_str(), "/", -1);
    std::string relative;
    for (char** level = levels; *level != nullptr; ++level) {
        relative += (relative.empty() ? "" : "/") + std::string(*level);
        const std::string folder = Join(dataHome, relative);
        if (g_mkdir(folder.c_str(), 0755) == 0) {
            created.insert(relative);
        } else if (errno != EEXIST) {
            outcome.errors.push_back(folder + ": " + Reason(errno));
            return false;
        }
    }
    return true;
}

void WriteCreatedFolders(const std::string& dataHome, std::set<std::string>& created,
                         RegistrationOutcome& outcome) {
    if (created.empty()) {
        return;
    }
    g_autofree char* recordFolder = g_path_get_dirname(kCreatedFoldersRecord);
    if (!MakeFolders(dataHome, recordFolder, created, outcome)) {
        return;
    }
    std::string text;
    for (const std::string& folder : created) {
        text += folder + "\n";
    }
    const std::string record = Join(dataHome, kCreatedFoldersRecord);
    g_autoptr(GError) error = nullptr;
    if (!g_file_set_contents(record.c_str(), text.data(), static_cast<gssize>(text.size()),
                             &error)) {
        outcome.errors.push_back(record + ": " + error->message);
    }
}

// Removes the folders registration created, deepest first, where nothing else was put in.
void RemoveCreatedFolders(const std::string& dataHome, RegistrationOutcome& outcome) {
    const std::set<std::string> created = ReadCreatedFolders(dataHome);
    if (created.empty()) {
        return;
    }
    RemoveEntry(Join(dataHome, kCreatedFoldersRecord), outcome, false);
    std::vector<std::string> deepestFirst(created.begin(), created.end());
    std::sort(deepestFirst.begin(), deepestFirst.end(),
              [](const std::string& a, const std::string& b) {
                  return std::count(a.begin(), a.end(), '/') > std::count(b.begin(), b.end(), '/');
              });
    for (const std::string& relative : deepestFirst) {
        const std::string folder = Join(dataHome, relative);
        if (g_rmdir(folder.c_str()) == 0) {
            outcome.done.push_back(folder);
        }
    }
}

}  // namespace

std::vector<EntryFile> DataEntries(std::string_view invokeProgram) {
    // "--" keeps a file named like an option a file. URIs, because Nemo garbles a name with a
    // line break in it when it fills in a list of paths.
    const std::string exec = sw::quoteExecArgument(invokeProgram) + " -- %U";
    g_autoptr(GKeyFile) texts = g_key_file_new();
    // Without KEEP_TRANSLATIONS the key file drops every language but the user's.
    g_key_file_load_from_data(texts, kEntryTexts, static_cast<gsize>(-1),
                              G_KEY_FILE_KEEP_TRANSLATIONS, nullptr);
    return {
        {"kio/servicemenus/quillmark-convert-to-wma.desktop", ServiceMenu(texts, kToWma, exec),
         true},
        {"kio/servicemenus/quillmark-convert-to-wav.desktop", ServiceMenu(texts, kToWav, exec),
         true},
        {"nemo/actions/quillmark-convert-to-wma.nemo_action", NemoAction(texts, kToWma, exec),
         false},
        {"nemo/actions/quillmark-convert-to-wav.nemo_action", NemoAction(texts, kToWav, exec),
         false},
        {"icons/hicolor/scalable/apps/" + std::string(kIconName) + ".svg", std::string(kIconSvg),
         false},
    };
}

RegistrationOutcome Register(const RegistrationPaths& paths) {
    RegistrationOutcome outcome;
    std::set<std::string> created = ReadCreatedFolders(paths.dataHome);
    for (const EntryFile& entry : DataEntries(paths.invokeProgram)) {
        const std::string path = Join(paths.dataHome, entry.relativePath);
        if (const std::string system = SystemCopy(paths, entry.relativePath); !system.empty()) {
            // A copy of ours from before the system install would show a second item.
            RemoveEntry(path, outcome, false);
            outcome.skipped.push_back(
                Format(_("%s: the system install provides %s"), path.c_str(), system.c_str()));
            continue;
        }
        g_autofree char* relativeFolder = g_path_get_dirname(entry.relativePath.c_str());
        if (!MakeFolders(paths.dataHome, relativeFolder, created, outcome)) {
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
    WriteCreatedFolders(paths.dataHome, created, outcome);
    LinkModule(paths, outcome);
    return outcome;
}

RegistrationOutcome Unregister(const RegistrationPaths& paths) {
    RegistrationOutcome outcome;
    for (const EntryFile& entry : DataEntries(paths.invokeProgram)) {
        RemoveEntry(Join(paths.dataHome, entry.relativePath), outcome, true);
    }
    RemoveCreatedFolders(paths.dataHome, outcome);
    UnlinkModule(paths, outcome);
    return outcome;
}

}  // namespace quillmark
