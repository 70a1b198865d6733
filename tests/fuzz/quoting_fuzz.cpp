// Quillmark's quoting of what it writes and reads, on arbitrary names:
// - a file name made a URI the way Quillmark makes one (GLib) reads back as the same name, and
//   so does any local path that an arbitrary URI names;
// - an Exec= argument quoted for a launcher or for the bus parses back, as GLib's key file and
//   shell parser read the line, to the one same argument.
//
// Input: a byte choosing the check, then the name.

#include "common/exec_quoting.h"
#include "common/file_uri.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"

#include <glib.h>

#include <memory>
#include <optional>
#include <string>

namespace {

struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GText = std::unique_ptr<char, GFreeDeleter>;

struct StrvDeleter {
    void operator()(char** p) const { g_strfreev(p); }
};

void checkUriRoundTrip(const std::string& path) {
    GError* error = nullptr;
    const GText uri(g_filename_to_uri(path.c_str(), nullptr, &error));
    if (uri == nullptr) {
        // GLib takes only absolute names.
        FUZZ_CHECK(path.empty() || path.front() != '/');
        g_clear_error(&error);
        return;
    }
    FUZZ_CHECK(sw::uri::localPathFromFileUri(uri.get()) == path);
}

// The arguments a reader takes from an Exec= line.
std::optional<std::string> parseSingleArgument(const std::string& exec, sw::ExecReader reader) {
    const std::string entry = "[Desktop Entry]\nExec=" + exec + "\n";
    std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> file(g_key_file_new(), g_key_file_free);
    if (!g_key_file_load_from_data(file.get(), entry.data(), entry.size(), G_KEY_FILE_NONE,
                                   nullptr)) {
        return std::nullopt;
    }
    const GText value(g_key_file_get_string(file.get(), "Desktop Entry", "Exec", nullptr));
    if (value == nullptr) {
        return std::nullopt;
    }
    int argc = 0;
    char** argv = nullptr;
    if (!g_shell_parse_argv(value.get(), &argc, &argv, nullptr)) {
        return std::nullopt;
    }
    const std::unique_ptr<char*, StrvDeleter> owned(argv);
    if (argc != 1) {
        return std::nullopt;
    }
    std::string argument = argv[0];
    if (reader == sw::ExecReader::Launcher) {
        // The launcher's field codes: "%%" is a literal "%".
        std::string expanded;
        for (size_t i = 0; i < argument.size(); ++i) {
            if (argument[i] == '%' && i + 1 < argument.size() && argument[i + 1] == '%') {
                ++i;
            }
            expanded += argument[i];
        }
        argument = expanded;
    }
    return argument;
}

void checkExecRoundTrip(const std::string& argument, sw::ExecReader reader) {
    // A desktop entry is UTF-8 text and a C string: nothing else can be an argument in it.
    if (argument.find('\0') != std::string::npos ||
        !g_utf8_validate(argument.data(), static_cast<gssize>(argument.size()), nullptr)) {
        return;
    }
    FUZZ_CHECK(parseSingleArgument(sw::quoteExecArgument(argument, reader), reader) == argument);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const uint8_t choice = input.takeByte();
    const std::string text = input.rest();
    switch (choice % 3) {
        case 0:
            if (text.find('\0') == std::string::npos) {
                checkUriRoundTrip(text);
            }
            if (const std::optional<std::string> path = sw::uri::localPathFromFileUri(text)) {
                FUZZ_CHECK(!path->empty() && path->front() == '/');
                FUZZ_CHECK(path->find('\0') == std::string::npos);
                checkUriRoundTrip(*path);
            }
            break;
        case 1:
            checkExecRoundTrip(text, sw::ExecReader::Launcher);
            break;
        case 2:
            checkExecRoundTrip(text, sw::ExecReader::Bus);
            break;
    }
    return 0;
}
