#pragma once

// The GNOME Files menu provider: a final dynamic type registered on the module's GTypeModule.

#include <gio/gio.h>
#include <glib-object.h>

// The header declares the module entry points without C linkage; GLib comes first so that
// only the extension's own declarations land in the block.
#ifdef __cplusplus
extern "C" {
#endif
#include <nautilus-extension.h>
#ifdef __cplusplus
}
#endif

G_BEGIN_DECLS

#define QUILLMARK_TYPE_WMA_EXT (wma_ext_get_type())
G_DECLARE_FINAL_TYPE(WMAExt, wma_ext, QUILLMARK, WMA_EXT, GObject)

void wma_ext_register_types(GTypeModule* module);

G_END_DECLS
