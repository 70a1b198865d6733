// quillmark-invoke: the context-menu command for file managers that run a program (Dolphin,
// Nemo), and the extension's self-registration.

#include "common/file_uri.h"
#include "quillmark/l10n.h"
#include "quillmark/module_version.h"
#include "quillmark/notification_presenter.h"
#include "quillmark/registration.h"
#include "quillmark/wma_ext_core.h"

#include <gio/gio.h>
#include <glib/gi18n-lib.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* Usage() {
    return _(
        "Usage: quillmark-invoke FILE|URI...\n"
        "       quillmark-invoke --register [--system]\n"
        "       quillmark-invoke --unregister [--system]\n"
        "       quillmark-invoke --version\n"
        "Hands the files to Sonawell for quick conversion, or registers the file-manager\n"
        "extension (per user under $XDG_DATA_HOME, or with --system for all users).\n");
}

std::string ProgramPath() {
    g_autofree char* self = g_file_read_link("/proc/self/exe", nullptr);
    return self != nullptr ? std::string(self) : std::string();
}

quillmark::RegistrationPaths PathsFor(bool system) {
    quillmark::RegistrationPaths paths;
    paths.dataHome = system ? QUILLMARK_SYSTEM_DATADIR : g_get_user_data_dir();
    const char* extensionDir = g_getenv("QUILLMARK_NAUTILUS_EXTENSION_DIR");
    paths.extensionDir = extensionDir != nullptr ? extensionDir : QUILLMARK_NAUTILUS_EXTENSION_DIR;
    paths.invokeProgram = ProgramPath();
    if (!system) {
        for (const char* const* folder = g_get_system_data_dirs(); *folder != nullptr; ++folder) {
            paths.systemDataDirs.emplace_back(*folder);
        }
    }
    // The module beside this program (the build folder, or a copy registered by hand), else
    // the installed one in GNOME Files' own folder.
    g_autofree char* folder = g_path_get_dirname(paths.invokeProgram.c_str());
    for (const char* candidate :
         {static_cast<const char*>(folder), static_cast<const char*>(paths.extensionDir.c_str())}) {
        g_autofree char* module = g_build_filename(candidate, quillmark::kModuleFileName, nullptr);
        if (g_file_test(module, G_FILE_TEST_EXISTS)) {
            paths.module = module;
            break;
        }
    }
    return paths;
}

int Registration(bool registering, bool system) {
    const quillmark::RegistrationPaths paths = PathsFor(system);
    const quillmark::RegistrationOutcome outcome =
        registering ? quillmark::Register(paths) : quillmark::Unregister(paths);
    for (const std::string& path : outcome.done) {
        std::printf(registering ? _("wrote %s\n") : _("removed %s\n"), path.c_str());
    }
    for (const std::string& skipped : outcome.skipped) {
        std::printf(_("skipped %s\n"), skipped.c_str());
    }
    for (const std::string& error : outcome.errors) {
        std::fprintf(stderr, "quillmark-invoke: %s\n", error.c_str());
    }
    if (!outcome.moduleNote.empty()) {
        std::fprintf(stderr, "quillmark-invoke: %s\n", outcome.moduleNote.c_str());
    }
    return outcome.ok() ? 0 : 1;
}

// An argument as Dolphin and Nemo fill in %U (a URI) or as typed (a path), as the local path
// the converter reads; "" with `why` set when the file has none.
std::string LocalPath(const std::string& argument, const char* cwd, std::string* why) {
    if (std::optional<std::string> path = sw::uri::localPathFromFileUri(argument)) {
        return *std::move(path);
    }
    const char* scheme = g_uri_peek_scheme(argument.c_str());
    if (scheme == nullptr || argument.find("://") == std::string::npos) {
        // The converter runs elsewhere: it needs absolute paths.
        g_autofree char* absolute = g_canonicalize_filename(argument.c_str(), cwd);
        return absolute;
    }
    // A file URI that is not this machine's has no local path; a location of the desktop's own
    // (smb://, sftp://) has one where a mount gives it one.
    g_autoptr(GFile) file = g_file_new_for_uri(argument.c_str());
    g_autofree char* path = g_str_equal(scheme, "file") ? nullptr : g_file_get_path(file);
    if (path == nullptr) {
        *why = _("not a local file; Sonawell reads local files only");
        return {};
    }
    return path;
}

// Hands the files over and names in one message what did not go over; Retry there hands
// those over again.
int HandOverAll(const std::vector<std::string>& arguments,
                const std::shared_ptr<quillmark::MessagePresenter>& messages) {
    g_autofree char* cwd = g_get_current_dir();
    std::vector<std::string> files;     // as the message names them
    std::vector<std::size_t> sendable;  // positions in `files` that have a local path
    std::vector<std::string> paths;
    std::vector<quickconvert::CallFailure> kept;
    for (const std::string& argument : arguments) {
        std::string why;
        std::string path = LocalPath(argument, cwd, &why);
        if (path.empty()) {
            kept.push_back({files.size(), argument, quickconvert::FailureKind::CannotCarry, why});
            files.push_back(argument);
            continue;
        }
        sendable.push_back(files.size());
        files.push_back(path);
        paths.push_back(std::move(path));
    }
    quickconvert::AddJobsResult result = quickconvert::AddJobs(quickconvert::kProgId, paths);
    for (quickconvert::CallFailure& failure : result.failures) {
        failure.index = sendable.at(failure.index);
    }
    result.failures.insert(result.failures.end(), kept.begin(), kept.end());
    std::sort(result.failures.begin(), result.failures.end(),
              [](const auto& a, const auto& b) { return a.index < b.index; });
    const std::string text = quillmark::FailureText(files, result);
    if (text.empty()) {
        return 0;
    }
    const std::vector<std::string> left = quillmark::NotHandedOver(files, result);
    int retried = 1;
    messages->ShowRetryCancel(text, [&] { retried = HandOverAll(left, messages); });
    return retried;
}

int Invoke(const std::vector<std::string>& arguments) {
    // Judged by the names the files have, not by how a URI spells them.
    std::vector<std::string> names;
    for (const std::string& argument : arguments) {
        names.push_back(sw::uri::localPathFromFileUri(argument).value_or(argument));
    }
    quillmark::WMAExtCore handler(nullptr);
    handler.Initialize(std::move(names));
    if (!handler.showsItem()) {
        std::fprintf(stderr, "quillmark-invoke: %s\n",
                     _("none of the files is an MP2, MP3, WAVE or WMA file; nothing handed over"));
        return 1;
    }
    return HandOverAll(arguments, std::make_shared<quillmark::NotificationPresenter>());
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    quillmark::BindTextDomain();
    try {
        std::vector<std::string> files;
        bool registering = false, unregistering = false, system = false, onlyFiles = false;
        for (int i = 1; i < argc; ++i) {
            const std::string argument = argv[i];
            if (onlyFiles || argument.empty() || argument[0] != '-') {
                files.push_back(argument);
            } else if (argument == "--") {
                onlyFiles = true;
            } else if (argument == "--register") {
                registering = true;
            } else if (argument == "--unregister") {
                unregistering = true;
            } else if (argument == "--system") {
                system = true;
            } else if (argument == "--version") {
                std::printf("%s %s\n", quillmark::kModuleDescription, quillmark::kModuleVersion);
                return 0;
            } else if (argument == "--help" || argument == "-h") {
                std::fputs(Usage(), stdout);
                return 0;
            } else {
                std::fprintf(stderr, "quillmark-invoke: ");
                std::fprintf(stderr, _("unknown option %s\n"), argument.c_str());
                std::fputs(Usage(), stderr);
                return 2;
            }
        }
        if (registering && unregistering) {
            std::fprintf(stderr, "quillmark-invoke: %s\n",
                         _("--register and --unregister exclude each other"));
            return 2;
        }
        if (registering || unregistering) {
            if (!files.empty()) {
                std::fputs(Usage(), stderr);
                return 2;
            }
            return Registration(registering, system);
        }
        if (files.empty()) {
            std::fputs(Usage(), stderr);
            return 2;
        }
        return Invoke(files);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillmark-invoke: %s\n", error.what());
        return 1;
    }
}
