#include "quillmark/nautilus/wma_ext.h"

#include "quillmark/nautilus/gtk_message_presenter.h"
#include "quillmark/wma_ext_core.h"

#include <exception>
#include <memory>
#include <string>
#include <vector>

struct _WMAExt {
    GObject parent_instance;
};

namespace {

// One context menu's handler, owned by the item it made. The presenter outlives it while a
// hand-over it started is still under way.
struct MenuHandler {
    std::shared_ptr<quillmark::GtkMessagePresenter> presenter =
        std::make_shared<quillmark::GtkMessagePresenter>();
    quillmark::WMAExtCore core{presenter};
};

void FreeMenuHandler(gpointer data, GClosure* /*closure*/) {
    delete static_cast<MenuHandler*>(data);
}

void OnActivate(NautilusMenuItem* /*item*/, gpointer data) {
    try {
        auto* handler = static_cast<MenuHandler*>(data);
        handler->presenter->attachTo(quillmark::ActiveWindow());
        handler->core.InvokeCommand(0u);
    } catch (const std::exception& error) {
        g_warning("Quillmark: %s", error.what());
    }
}

std::vector<std::string> SelectedPaths(GList* files) {
    std::vector<std::string> paths;
    for (GList* node = files; node != nullptr; node = node->next) {
        g_autoptr(GFile) location = nautilus_file_info_get_location(NAUTILUS_FILE_INFO(node->data));
        g_autofree char* path = location != nullptr ? g_file_get_path(location) : nullptr;
        if (path != nullptr) {  // the converter reads local files only
            // A folder is marked by its trailing "/": the file manager knows, nothing is read.
            const bool folder = nautilus_file_info_is_directory(NAUTILUS_FILE_INFO(node->data));
            paths.emplace_back(std::string(path) + (folder ? "/" : ""));
        }
    }
    return paths;
}

GList* GetFileItems(NautilusMenuProvider* /*provider*/, GList* files) {
    try {
        auto handler = std::make_unique<MenuHandler>();
        handler->core.Initialize(SelectedPaths(files));
        std::vector<quillmark::MenuItem> menu;
        if (handler->core.QueryContextMenu(menu, 0, 0) == 0) {
            return nullptr;
        }
        const std::string label = menu.front().text;
        const std::string tip(handler->core.helpText());
        const std::string icon(quillmark::kIconName);
        NautilusMenuItem* item =
            nautilus_menu_item_new("WMAExt::Convert", label.c_str(), tip.c_str(), icon.c_str());
        g_signal_connect_data(item, "activate", G_CALLBACK(OnActivate), handler.release(),
                              FreeMenuHandler, static_cast<GConnectFlags>(0));
        return g_list_append(nullptr, item);
    } catch (const std::exception& error) {
        g_warning("Quillmark: %s", error.what());
        return nullptr;
    }
}

}  // namespace

static void wma_ext_menu_provider_init(NautilusMenuProviderInterface* iface) {
    iface->get_file_items = GetFileItems;
}

G_DEFINE_DYNAMIC_TYPE_EXTENDED(WMAExt, wma_ext, G_TYPE_OBJECT, G_TYPE_FLAG_FINAL,
                               G_IMPLEMENT_INTERFACE_DYNAMIC(NAUTILUS_TYPE_MENU_PROVIDER,
                                                             wma_ext_menu_provider_init))

static void wma_ext_class_init(WMAExtClass* /*klass*/) {}
static void wma_ext_class_finalize(WMAExtClass* /*klass*/) {}
static void wma_ext_init(WMAExt* /*self*/) {}

void wma_ext_register_types(GTypeModule* module) {
    wma_ext_register_type(module);
}
