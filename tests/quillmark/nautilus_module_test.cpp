// The built GNOME Files module, loaded the way the file manager loads it: its entry points,
// its type, the menu item for a selection, and the paths arriving at a server double when
// the item is activated.

#include "quillmark/engine_double.h"
#include "quillmark/private_bus.h"
#include "quillmark/test_file_info.h"

#include <gmock/gmock.h>
#include <gmodule.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <memory>
#include <set>
#include <sstream>

using quillmarktest::EngineDouble;
using quillmarktest::PrivateBus;
using ::testing::ElementsAre;

G_BEGIN_DECLS
#define TEST_TYPE_TYPE_MODULE (test_type_module_get_type())
G_DECLARE_FINAL_TYPE(TestTypeModule, test_type_module, TEST, TYPE_MODULE, GTypeModule)
G_END_DECLS

// The file manager's side of a module: the library is already loaded by the test.
struct _TestTypeModule {
    GTypeModule parent_instance;
};
G_DEFINE_TYPE(TestTypeModule, test_type_module, G_TYPE_TYPE_MODULE)
static gboolean test_type_module_load(GTypeModule*) {
    return TRUE;
}
static void test_type_module_unload(GTypeModule*) {}
static void test_type_module_class_init(TestTypeModuleClass* klass) {
    G_TYPE_MODULE_CLASS(klass)->load = test_type_module_load;
    G_TYPE_MODULE_CLASS(klass)->unload = test_type_module_unload;
}
static void test_type_module_init(TestTypeModule*) {}

namespace {

using InitializeFn = void (*)(GTypeModule*);
using ListTypesFn = void (*)(const GType**, int*);
using ShutdownFn = void (*)();

struct ItemListDeleter {
    void operator()(GList* items) const { nautilus_menu_item_list_free(items); }
};
using ItemList = std::unique_ptr<GList, ItemListDeleter>;

struct FileInfoListDeleter {
    void operator()(GList* files) const { nautilus_file_info_list_free(files); }
};
using FileInfoList = std::unique_ptr<GList, FileInfoListDeleter>;

FileInfoList Selection(const std::vector<std::string>& locations) {
    GList* files = nullptr;
    for (const std::string& location : locations) {
        g_autoptr(GFile) file = location.find("://") != std::string::npos
                                    ? g_file_new_for_uri(location.c_str())
                                    : g_file_new_for_path(location.c_str());
        files = g_list_append(files, test_file_info_new(file));
    }
    return FileInfoList(files);
}

std::string StringProperty(GObject* object, const char* name) {
    g_autofree char* value = nullptr;
    g_object_get(object, name, &value, nullptr);
    return value != nullptr ? value : "";
}

class NautilusModule : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bus_ = new PrivateBus;
        // The module talks to the session bus; this process's is the private one.
        g_setenv("DBUS_SESSION_BUS_ADDRESS", bus_->address().c_str(), TRUE);
        module_ = g_module_open(QUILLMARK_NAUTILUS_MODULE, G_MODULE_BIND_LOCAL);
        ASSERT_NE(module_, nullptr) << g_module_error();
        gpointer initialize = nullptr, listTypes = nullptr, shutdown = nullptr;
        ASSERT_TRUE(g_module_symbol(module_, "nautilus_module_initialize", &initialize));
        ASSERT_TRUE(g_module_symbol(module_, "nautilus_module_list_types", &listTypes));
        ASSERT_TRUE(g_module_symbol(module_, "nautilus_module_shutdown", &shutdown));
        shutdown_ = reinterpret_cast<ShutdownFn>(shutdown);
        // Kept in use for the process's lifetime, as the file manager does.
        typeModule_ = G_TYPE_MODULE(g_object_new(TEST_TYPE_TYPE_MODULE, nullptr));
        g_type_module_use(typeModule_);
        reinterpret_cast<InitializeFn>(initialize)(typeModule_);
        const GType* types = nullptr;
        int count = 0;
        reinterpret_cast<ListTypesFn>(listTypes)(&types, &count);
        types_.assign(types, types + count);
    }
    static void TearDownTestSuite() {
        if (shutdown_ != nullptr) {
            shutdown_();
        }
        delete bus_;
        bus_ = nullptr;
    }

    // The module's provider's items for a selection.
    static ItemList ItemsFor(const std::vector<std::string>& locations) {
        g_autoptr(GObject) provider = G_OBJECT(g_object_new(types_.at(0), nullptr));
        const FileInfoList files = Selection(locations);
        return ItemList(
            nautilus_menu_provider_get_file_items(NAUTILUS_MENU_PROVIDER(provider), files.get()));
    }

    static PrivateBus* bus_;
    static GModule* module_;
    static GTypeModule* typeModule_;
    static ShutdownFn shutdown_;
    static std::vector<GType> types_;
};

PrivateBus* NautilusModule::bus_ = nullptr;
GModule* NautilusModule::module_ = nullptr;
GTypeModule* NautilusModule::typeModule_ = nullptr;
ShutdownFn NautilusModule::shutdown_ = nullptr;
std::vector<GType> NautilusModule::types_;

TEST_F(NautilusModule, ExportsOnlyTheThreeEntryPoints) {
    const char* argv[] = {"nm", "-D", "--defined-only", QUILLMARK_NAUTILUS_MODULE, nullptr};
    g_autofree char* out = nullptr;
    int status = 0;
    ASSERT_TRUE(g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_SEARCH_PATH,
                             nullptr, nullptr, &out, nullptr, &status, nullptr));
    ASSERT_EQ(status, 0);
    std::set<std::string> symbols;
    std::istringstream lines(out);
    for (std::string address, kind, name; lines >> address >> kind >> name;) {
        symbols.insert(name);
    }
    EXPECT_EQ(symbols,
              (std::set<std::string>{"nautilus_module_initialize", "nautilus_module_list_types",
                                     "nautilus_module_shutdown"}));
}

TEST_F(NautilusModule, ListsOneFinalMenuProviderTypeNamedWMAExt) {
    ASSERT_EQ(types_.size(), 1u);
    EXPECT_STREQ(g_type_name(types_[0]), "WMAExt");
    EXPECT_TRUE(G_TYPE_IS_FINAL(types_[0]));
    EXPECT_TRUE(g_type_is_a(types_[0], NAUTILUS_TYPE_MENU_PROVIDER));
}

TEST_F(NautilusModule, TheItemHandsEverySelectedFileToTheServer) {
    EngineDouble engine(bus_->address());
    const std::vector<std::string> paths = {"/music/a notes.txt", "/music/b \"live\".wma",
                                            "/music/Grüße ünd 日本.mp3"};
    const ItemList items = ItemsFor(paths);
    ASSERT_EQ(g_list_length(items.get()), 1u);
    GObject* item = G_OBJECT(items->data);
    EXPECT_EQ(StringProperty(item, "label"), "Convert to WAV");
    EXPECT_EQ(StringProperty(item, "tip"), "Convert this audio file to WMA format.");
    EXPECT_EQ(StringProperty(item, "icon"), "quillmark");
    EXPECT_TRUE(engine.received().empty());

    g_signal_emit_by_name(item, "activate");
    EXPECT_EQ(engine.received(), paths);
}

TEST_F(NautilusModule, AnMp3SelectionOffersConvertToWma) {
    const ItemList items = ItemsFor({"/music/song.MP3", "/music/x.wma"});
    ASSERT_EQ(g_list_length(items.get()), 1u);
    EXPECT_EQ(StringProperty(G_OBJECT(items->data), "label"), "Convert To WMA");
}

TEST_F(NautilusModule, NoItemForUnknownFilesOrFilesWithoutALocalPath) {
    EXPECT_EQ(ItemsFor({"/music/readme.txt", "/music/cover.png"}), nullptr);
    // The converter reads local files only: a remote file is left out of the selection.
    EXPECT_EQ(ItemsFor({"quillmark-test://host/music/song.mp3"}), nullptr);
}

TEST_F(NautilusModule, WithNoServerTheItemShowsFailedDispatchWithRetryAndCancel) {
    if (!gtk_init_check()) {
        GTEST_SKIP() << "no display to show the dialog on (run under xvfb-run)";
    }
    // Nobody owns the name on this bus and nothing can be started for it.
    const ItemList items = ItemsFor({"/music/song.mp3"});
    ASSERT_EQ(g_list_length(items.get()), 1u);
    g_signal_emit_by_name(items->data, "activate");

    g_autoptr(GListModel) toplevels = gtk_window_get_toplevels();
    GtkMessageDialog* dialog = nullptr;
    for (guint i = 0; i < g_list_model_get_n_items(toplevels); ++i) {
        g_autoptr(GObject) window = G_OBJECT(g_list_model_get_item(toplevels, i));
        if (GTK_IS_MESSAGE_DIALOG(window)) {
            dialog = GTK_MESSAGE_DIALOG(window);  // the list keeps it alive
        }
    }
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(StringProperty(G_OBJECT(dialog), "text"), "failed dispatch");
    const char* title = gtk_window_get_title(GTK_WINDOW(dialog));
    EXPECT_STREQ(title != nullptr ? title : "", "");  // no title of its own
    EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(dialog)));
    GtkWidget* retry = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    GtkWidget* cancel = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    ASSERT_NE(retry, nullptr);
    ASSERT_NE(cancel, nullptr);
    EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(retry)), "_Retry");
    EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(cancel)), "_Cancel");

    // Either answer just closes it.
    g_autoptr(GtkWindow) held = GTK_WINDOW(g_object_ref(dialog));
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    EXPECT_FALSE(gtk_widget_get_visible(GTK_WIDGET(held)));
}

}  // namespace
