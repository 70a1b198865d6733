#include "quillmark/l10n.h"

#include <glib/gi18n-lib.h>

#include <cstdarg>

namespace quillmark {

void BindTextDomain() {
    const char* folder = g_getenv("QUILLMARK_LOCALEDIR");
    bindtextdomain(GETTEXT_PACKAGE,
                   folder != nullptr && *folder != '\0' ? folder : QUILLMARK_INSTALLED_LOCALEDIR);
    // GTK and D-Bus take UTF-8 only, whatever the locale's character set.
    bind_textdomain_codeset(GETTEXT_PACKAGE, "UTF-8");
}

std::string Format(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    g_autofree char* text = g_strdup_vprintf(format, arguments);
    va_end(arguments);
    return text;
}

}  // namespace quillmark
