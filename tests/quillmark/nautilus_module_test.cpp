// The built GNOME Files module, loaded the way the file manager loads it: its entry points,
// its type, the menu item for a selection, the paths arriving at a server double when the
// item is activated, and the message on the file manager's window when they don't.

#include "quillmark/engine_double.h"
#include "quillmark/main_loop.h"
#include "quillmark/private_bus.h"
#include "quillmark/quick_convert_client.h"
#include "quillmark/test_file_info.h"

#include <gmock/gmock.h>
#include <gmodule.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>

using quillmarktest::EngineDouble;
using quillmarktest::PrivateBus;
using quillmarktest::RunUntil;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::StartsWith;

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

// German for the file manager's process while it lives, as under a German user's session.
// gettext heeds LANGUAGE under any locale but plain C; C.UTF-8 is on every Debian system.
class GermanLocale {
public:
    GermanLocale() : previous_(setlocale(LC_ALL, nullptr)) {
        g_setenv("LANGUAGE", "de", TRUE);
        EXPECT_NE(setlocale(LC_ALL, "C.UTF-8"), nullptr);
    }
    ~GermanLocale() {
        g_unsetenv("LANGUAGE");
        setlocale(LC_ALL, previous_.c_str());  // also drops gettext's cached translations
    }
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;

private:
    const std::string previous_;
};

class NautilusModule : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bus_ = new PrivateBus;
        // The module talks to the session bus; this process's is the private one.
        g_setenv("DBUS_SESSION_BUS_ADDRESS", bus_->address().c_str(), TRUE);
        // English unless a test asks for German (GermanLocale), from the build's catalogues.
        g_setenv("LC_ALL", "C.UTF-8", TRUE);
        g_unsetenv("LANGUAGE");
        g_setenv("QUILLMARK_LOCALEDIR", QUILLMARK_TEST_LOCALEDIR, TRUE);
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
    EXPECT_EQ(StringProperty(item, "tip"), "Convert this audio file to WAV format.");
    EXPECT_EQ(StringProperty(item, "icon"), "quillmark");
    EXPECT_TRUE(engine.received().empty());

    g_signal_emit_by_name(item, "activate");
    EXPECT_TRUE(RunUntil([&] { return engine.received() == paths; }, std::chrono::seconds(60)));
}

TEST_F(NautilusModule, AnMp3SelectionOffersConvertToWma) {
    const ItemList items = ItemsFor({"/music/song.MP3", "/music/x.wma"});
    ASSERT_EQ(g_list_length(items.get()), 1u);
    EXPECT_EQ(StringProperty(G_OBJECT(items->data), "label"), "Convert To WMA");
    EXPECT_EQ(StringProperty(G_OBJECT(items->data), "tip"),
              "Convert this audio file to WMA format.");

    const GermanLocale german;
    const ItemList germanItems = ItemsFor({"/music/song.MP3"});
    ASSERT_EQ(g_list_length(germanItems.get()), 1u);
    EXPECT_EQ(StringProperty(G_OBJECT(germanItems->data), "label"), "In WMA umwandeln");
    EXPECT_EQ(StringProperty(G_OBJECT(germanItems->data), "tip"),
              "Diese Audiodatei in das WMA-Format umwandeln.");
}

TEST_F(NautilusModule, NoItemForUnknownFilesOrFilesWithoutALocalPath) {
    EXPECT_EQ(ItemsFor({"/music/readme.txt", "/music/cover.png"}), nullptr);
    // The converter reads local files only: a remote file is left out of the selection.
    EXPECT_EQ(ItemsFor({"quillmark-test://host/music/song.mp3"}), nullptr);
}

// A GNOME Files window of the test's own: a GTK application with one window, as the module
// finds them in the file manager. Null without a display.
GtkWindow* FileManagerWindow() {
    static GtkWindow* window = []() -> GtkWindow* {
        if (!gtk_init_check()) {
            return nullptr;
        }
        GtkApplication* application =
            gtk_application_new("org.example.QuillmarkTest", G_APPLICATION_NON_UNIQUE);
        if (!g_application_register(G_APPLICATION(application), nullptr, nullptr)) {
            return nullptr;
        }
        GtkWidget* made = gtk_application_window_new(application);
        gtk_window_present(GTK_WINDOW(made));
        return GTK_WINDOW(made);
    }();
    return window;
}

// The message dialog on screen, if any.
GtkMessageDialog* ShownMessage() {
    GListModel* toplevels = gtk_window_get_toplevels();  // GTK's own
    for (guint i = 0; i < g_list_model_get_n_items(toplevels); ++i) {
        g_autoptr(GObject) window = G_OBJECT(g_list_model_get_item(toplevels, i));
        if (GTK_IS_MESSAGE_DIALOG(window) && gtk_widget_get_visible(GTK_WIDGET(window))) {
            return GTK_MESSAGE_DIALOG(window);  // the list of toplevels keeps it alive
        }
    }
    return nullptr;
}

TEST_F(NautilusModule, WithNoServerTheMessageNamesTheFilesOnTheWindowAndRetryHandsThemOver) {
    GtkWindow* window = FileManagerWindow();
    if (window == nullptr) {
        GTEST_SKIP() << "no display to show the message on (run under xvfb-run)";
    }
    // Nobody owns the name on this bus and nothing can be started for it.
    const ItemList items = ItemsFor({"/music/song.mp3", "/music/caf\xe9.mp3"});
    ASSERT_EQ(g_list_length(items.get()), 1u);
    g_signal_emit_by_name(items->data, "activate");
    ASSERT_TRUE(RunUntil([] { return ShownMessage() != nullptr; }, std::chrono::seconds(60)));

    GtkMessageDialog* dialog = ShownMessage();
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog)), "Sonawell");
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(dialog)), window);
    EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(dialog)));
    EXPECT_EQ(StringProperty(G_OBJECT(dialog), "text"),
              "2 files were not handed over to Sonawell.");
    const std::string details = StringProperty(G_OBJECT(dialog), "secondary-text");
    EXPECT_THAT(details, StartsWith("Sonawell could not be reached: "));
    EXPECT_THAT(details, EndsWith("\n/music/song.mp3\n/music/caf\uFFFD.mp3"));
    GtkWidget* retry = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    GtkWidget* cancel = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    ASSERT_NE(retry, nullptr);
    ASSERT_NE(cancel, nullptr);
    EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(retry)), "_Retry");
    EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(cancel)), "_Cancel");

    // Sonawell is there now: Retry hands the same files over, and nothing more is shown.
    EngineDouble engine(bus_->address());
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    EXPECT_EQ(ShownMessage(), nullptr);
    ASSERT_TRUE(RunUntil([&] { return engine.received().size() == 2; }, std::chrono::seconds(60)));
    EXPECT_THAT(engine.received(), ElementsAre("/music/song.mp3", "file:///music/caf%E9.mp3"));
    RunUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(ShownMessage(), nullptr);
}

TEST_F(NautilusModule, AHungSonawellNeverHoldsTheFileManagerAndOneMessageComesAtTheBound) {
    GtkWindow* window = FileManagerWindow();
    if (window == nullptr) {
        GTEST_SKIP() << "no display to show the message on (run under xvfb-run)";
    }
    EngineDouble engine(bus_->address(), "Sonawell.QuickConvertEngine", {}, false);
    const std::vector<std::string> paths = {"/music/a.mp3", "/music/b.mp3", "/music/c.mp3"};
    const ItemList items = ItemsFor(paths);
    ASSERT_EQ(g_list_length(items.get()), 1u);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    g_signal_emit_by_name(items->data, "activate");
    const Clock::duration activation = Clock::now() - start;
    // The file manager's own events keep coming while the hand-over waits.
    struct Ticks {
        Clock::time_point last = Clock::now();
        Clock::duration longestGap{};
    } ticks;
    const guint ticker = g_timeout_add(
        50,
        [](gpointer data) -> gboolean {
            auto* seen = static_cast<Ticks*>(data);
            seen->longestGap = std::max(seen->longestGap, Clock::now() - seen->last);
            seen->last = Clock::now();
            return G_SOURCE_CONTINUE;
        },
        &ticks);
    const bool shown = RunUntil([] { return ShownMessage() != nullptr; },
                                quickconvert::kHandOverBound + std::chrono::seconds(60));
    const Clock::duration untilMessage = Clock::now() - start;
    g_source_remove(ticker);
    std::printf(
        "activation returned after %.1f ms; the message came after %.2f s; the longest "
        "pause of the main loop was %.1f ms\n",
        std::chrono::duration<double, std::milli>(activation).count(),
        std::chrono::duration<double>(untilMessage).count(),
        std::chrono::duration<double, std::milli>(ticks.longestGap).count());

    // Well below the 20 s a blocking call would take, and loose enough for a machine whose
    // cores are busy with other work.
    EXPECT_LT(activation, std::chrono::seconds(10));
    EXPECT_LT(ticks.longestGap, std::chrono::seconds(10));
    ASSERT_TRUE(shown);
    EXPECT_GE(untilMessage, quickconvert::kHandOverBound);
    EXPECT_LT(untilMessage, quickconvert::kHandOverBound + std::chrono::seconds(15));
    EXPECT_EQ(engine.received(), paths);
    GtkMessageDialog* dialog = ShownMessage();
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(dialog)), window);
    EXPECT_EQ(StringProperty(G_OBJECT(dialog), "text"),
              "3 files were not handed over to Sonawell.");
    EXPECT_EQ(StringProperty(G_OBJECT(dialog), "secondary-text"),
              "Sonawell gave no answer within 20 s\n/music/a.mp3\n/music/b.mp3\n/music/c.mp3");
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    EXPECT_EQ(ShownMessage(), nullptr);
}

}  // namespace
