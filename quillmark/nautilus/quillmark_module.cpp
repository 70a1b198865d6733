// The three entry points GNOME Files looks up in every module of its extension folder; the
// module exports nothing else (quillmark-nautilus.map).

#include "quillmark/l10n.h"
#include "quillmark/module_version.h"
#include "quillmark/nautilus/wma_ext.h"

#define QUILLMARK_EXPORT extern "C" __attribute__((visibility("default")))

QUILLMARK_EXPORT void nautilus_module_initialize(GTypeModule* module) {
    quillmark::BindTextDomain();
    wma_ext_register_types(module);
    g_debug("%s %s loaded", quillmark::kModuleDescription, quillmark::kModuleVersion);
}

QUILLMARK_EXPORT void nautilus_module_shutdown(void) {}

QUILLMARK_EXPORT void nautilus_module_list_types(const GType** types, int* num_types) {
    static GType list[1];
    list[0] = QUILLMARK_TYPE_WMA_EXT;
    *types = list;
    *num_types = 1;
}
