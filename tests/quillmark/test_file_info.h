#pragma once

// A file info as GNOME Files would hand one to a menu provider, for a given location.

#include <gio/gio.h>
#include <glib-object.h>

extern "C" {
#include <nautilus-extension.h>
}

G_BEGIN_DECLS

#define TEST_TYPE_FILE_INFO (test_file_info_get_type())
G_DECLARE_FINAL_TYPE(TestFileInfo, test_file_info, TEST, FILE_INFO, GObject)

// Takes its own reference to `location`.
NautilusFileInfo* test_file_info_new(GFile* location);

G_END_DECLS
