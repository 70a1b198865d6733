// quillmark-invoke: the context-menu command for file managers that run a program (Dolphin,
// Nemo), and the extension's self-registration.

#include "quillmark/module_version.h"
#include "quillmark/notification_presenter.h"
#include "quillmark/registration.h"
#include "quillmark/wma_ext_core.h"

#include <glib.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

constexpr char kUsage[] =
    "Usage: quillmark-invoke FILE...\n"
    "       quillmark-invoke --register [--system]\n"
    "       quillmark-invoke --unregister [--system]\n"
    "       quillmark-invoke --version\n"
    "Hands the files to Sonawell for quick conversion, or registers the file-manager\n"
    "extension (per user under $XDG_DATA_HOME, or with --system for all users).\n";

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
        std::printf("%s %s\n", registering ? "wrote" : "removed", path.c_str());
    }
    for (const std::string& error : outcome.errors) {
        std::fprintf(stderr, "quillmark-invoke: %s\n", error.c_str());
    }
    if (!outcome.moduleNote.empty()) {
        std::fprintf(stderr, "quillmark-invoke: %s\n", outcome.moduleNote.c_str());
    }
    return outcome.ok() ? 0 : 1;
}

int Invoke(const std::vector<std::string>& arguments) {
    // The converter runs elsewhere: it needs absolute paths.
    g_autofree char* cwd = g_get_current_dir();
    std::vector<std::string> files;
    for (const std::string& argument : arguments) {
        g_autofree char* absolute = g_canonicalize_filename(argument.c_str(), cwd);
        files.emplace_back(absolute);
    }
    quillmark::NotificationPresenter presenter;
    quillmark::WMAExtCore handler(presenter);
    handler.Initialize(files);
    if (!handler.showsItem()) {
        std::fprintf(stderr,
                     "quillmark-invoke: none of the files is an MP2, MP3, WAVE or WMA file; "
                     "nothing handed over\n");
        return 1;
    }
    handler.InvokeCommand(0u);
    const auto& dispatch = handler.lastDispatch();
    if (!dispatch || !dispatch->reached) {
        if (dispatch) {
            std::fprintf(stderr, "quillmark-invoke: %s\n", dispatch->unreachable.c_str());
        }
        return 1;
    }
    for (const quickconvert::CallFailure& failure : dispatch->failures) {
        std::fprintf(stderr, "quillmark-invoke: %s was not handed over: %s\n", failure.path.c_str(),
                     failure.message.c_str());
    }
    return dispatch->allHandedOver() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
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
                std::fputs(kUsage, stdout);
                return 0;
            } else {
                std::fprintf(stderr, "quillmark-invoke: unknown option %s\n%s", argument.c_str(),
                             kUsage);
                return 2;
            }
        }
        if (registering && unregistering) {
            std::fputs("quillmark-invoke: --register and --unregister exclude each other\n",
                       stderr);
            return 2;
        }
        if (registering || unregistering) {
            if (!files.empty()) {
                std::fputs(kUsage, stderr);
                return 2;
            }
            return Registration(registering, system);
        }
        if (files.empty()) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        return Invoke(files);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillmark-invoke: %s\n", error.what());
        return 1;
    }
}
