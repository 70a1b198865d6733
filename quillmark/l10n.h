#pragma once

// Quillmark's texts come from its own gettext catalogue, text domain GETTEXT_PACKAGE; the
// sources mark them with _(), N_() and g_dngettext() of <glib/gi18n-lib.h>.

#include <glib.h>

#include <string>

namespace quillmark {

// Binds the catalogue to the installed locale folder, or to $QUILLMARK_LOCALEDIR (the tests
// point it at the build's catalogues). Never calls textdomain(): in a module that would
// change the host's own domain.
void BindTextDomain();

// printf for a translated format, whose placeholders a translation may reorder (%1$s).
std::string Format(const char* format, ...) G_GNUC_PRINTF(1, 2);

}  // namespace quillmark
