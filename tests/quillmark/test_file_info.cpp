#include "quillmark/test_file_info.h"

struct _TestFileInfo {
    GObject parent_instance;
    GFile* location;
};

namespace {

GFile* GetLocation(NautilusFileInfo* info) {
    return G_FILE(g_object_ref(TEST_FILE_INFO(info)->location));
}
char* GetUri(NautilusFileInfo* info) {
    return g_file_get_uri(TEST_FILE_INFO(info)->location);
}
char* GetName(NautilusFileInfo* info) {
    return g_file_get_basename(TEST_FILE_INFO(info)->location);
}
char* GetUriScheme(NautilusFileInfo* info) {
    return g_file_get_uri_scheme(TEST_FILE_INFO(info)->location);
}
gboolean IsGone(NautilusFileInfo*) {
    return FALSE;
}
gboolean IsDirectory(NautilusFileInfo*) {
    return FALSE;
}
GFileType GetFileType(NautilusFileInfo*) {
    return G_FILE_TYPE_REGULAR;
}

}  // namespace

static void test_file_info_iface_init(NautilusFileInfoInterface* iface) {
    iface->get_location = GetLocation;
    iface->get_uri = GetUri;
    iface->get_activation_uri = GetUri;
    iface->get_name = GetName;
    iface->get_uri_scheme = GetUriScheme;
    iface->is_gone = IsGone;
    iface->is_directory = IsDirectory;
    iface->get_file_type = GetFileType;
}

G_DEFINE_TYPE_WITH_CODE(TestFileInfo, test_file_info, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(NAUTILUS_TYPE_FILE_INFO, test_file_info_iface_init))

static void test_file_info_finalize(GObject* object) {
    g_clear_object(&TEST_FILE_INFO(object)->location);
    G_OBJECT_CLASS(test_file_info_parent_class)->finalize(object);
}

static void test_file_info_class_init(TestFileInfoClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = test_file_info_finalize;
}

static void test_file_info_init(TestFileInfo*) {}

NautilusFileInfo* test_file_info_new(GFile* location) {
    auto* info = TEST_FILE_INFO(g_object_new(TEST_TYPE_FILE_INFO, nullptr));
    info->location = G_FILE(g_object_ref(location));
    return NAUTILUS_FILE_INFO(info);
}
