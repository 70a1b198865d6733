// Build step: writes the service menus and Nemo actions that `cmake --install` ships, from
// the same text the registration writes, pointing at the installed quillmark-invoke.

#include "quillmark/registration.h"

#include <glib.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("Usage: quillmark-write-entries OUTPUT_DIR INSTALLED_QUILLMARK_INVOKE\n",
                   stderr);
        return 2;
    }
    for (const quillmark::EntryFile& entry : quillmark::DataEntries(argv[2])) {
        if (entry.relativePath.ends_with(".svg")) {
            continue;  // installed from its source file
        }
        g_autofree char* basename = g_path_get_basename(entry.relativePath.c_str());
        g_autofree char* path = g_build_filename(argv[1], basename, nullptr);
        g_autoptr(GError) error = nullptr;
        if (!g_file_set_contents(path, entry.contents.data(),
                                 static_cast<gssize>(entry.contents.size()), &error)) {
            std::fprintf(stderr, "quillmark-write-entries: %s\n", error->message);
            return 1;
        }
    }
    return 0;
}
