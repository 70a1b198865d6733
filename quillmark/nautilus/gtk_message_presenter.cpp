#include "quillmark/nautilus/gtk_message_presenter.h"

#include <glib/gi18n-lib.h>

#include <memory>
#include <string>

namespace quillmark {
namespace {

using Retry = std::function<void()>;

void FreeRetry(gpointer data, GClosure* /*closure*/) {
    delete static_cast<Retry*>(data);
}

void OnResponse(GtkDialog* dialog, int response, gpointer data) {
    // The dialog's end frees `data`: keep what Retry needs first.
    const Retry retry = response == GTK_RESPONSE_ACCEPT ? *static_cast<Retry*>(data) : Retry();
    gtk_window_destroy(GTK_WINDOW(dialog));
    if (retry) {
        retry();
    }
}

}  // namespace

GtkWindow* ActiveWindow() {
    if (!gtk_is_initialized()) {
        return nullptr;
    }
    GApplication* application = g_application_get_default();
    if (GTK_IS_APPLICATION(application)) {
        if (GtkWindow* active = gtk_application_get_active_window(GTK_APPLICATION(application))) {
            return active;
        }
    }
    GListModel* toplevels = gtk_window_get_toplevels();  // GTK's own
    for (guint i = 0; i < g_list_model_get_n_items(toplevels); ++i) {
        g_autoptr(GtkWindow) window = GTK_WINDOW(g_list_model_get_item(toplevels, i));
        if (gtk_window_is_active(window)) {
            return window;  // the list keeps it alive
        }
    }
    return nullptr;
}

GtkMessagePresenter::GtkMessagePresenter() {
    g_weak_ref_init(&window_, nullptr);
}

GtkMessagePresenter::~GtkMessagePresenter() {
    g_weak_ref_clear(&window_);
}

void GtkMessagePresenter::attachTo(GtkWindow* window) {
    g_weak_ref_set(&window_, window);
}

void GtkMessagePresenter::ShowRetryCancel(const std::string& text, std::function<void()> retry) {
    if (!gtk_is_initialized()) {
        g_warning("%s", text.c_str());  // loaded outside a GTK host
        return;
    }
    const auto split = text.find("\n\n");
    const std::string headline = text.substr(0, split);
    const std::string details = split == std::string::npos ? std::string() : text.substr(split + 2);
    // GtkAlertDialog only arrives with GTK 4.10; Debian 12 ships 4.8.
    g_autoptr(GtkWindow) parent = GTK_WINDOW(g_weak_ref_get(&window_));
    GtkWidget* dialog = gtk_message_dialog_new(
        parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_WARNING, GTK_BUTTONS_NONE, "%s", headline.c_str());
    if (!details.empty()) {
        gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", details.c_str());
    }
    gtk_window_set_title(GTK_WINDOW(dialog), kMessageTitle);
    gtk_dialog_add_buttons(GTK_DIALOG(dialog), _("_Retry"), GTK_RESPONSE_ACCEPT, _("_Cancel"),
                           GTK_RESPONSE_CANCEL, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    g_signal_connect_data(dialog, "response", G_CALLBACK(OnResponse),
                          std::make_unique<Retry>(std::move(retry)).release(), FreeRetry,
                          static_cast<GConnectFlags>(0));
    gtk_window_present(GTK_WINDOW(dialog));
}

}  // namespace quillmark
