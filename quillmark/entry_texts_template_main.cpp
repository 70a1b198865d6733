// Build step: the English menu texts as the key file that msgfmt --desktop fills with every
// translation (entry_texts.h).

#include "quillmark/menu_texts.h"

#include <glib.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: quillmark-entry-texts OUTPUT_FILE\n", stderr);
        return 2;
    }
    std::string text;
    for (const quillmark::CommandTexts& texts : {quillmark::kToWmaTexts, quillmark::kToWavTexts}) {
        text += std::string("[") + texts.id + "]\nName=" + texts.label + "\nComment=" + texts.help +
                "\n\n";
    }
    g_autoptr(GError) error = nullptr;
    if (!g_file_set_contents(argv[1], text.data(), static_cast<gssize>(text.size()), &error)) {
        std::fprintf(stderr, "quillmark-entry-texts: %s\n", error->message);
        return 1;
    }
    return 0;
}
