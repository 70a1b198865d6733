#include "quillmark/nautilus/gtk_message_presenter.h"

#include <gtk/gtk.h>

#include <string>

namespace quillmark {
namespace {

void OnResponse(GtkDialog* dialog, int /*response*/, gpointer /*data*/) {
    gtk_window_destroy(GTK_WINDOW(dialog));
}

}  // namespace

void GtkMessagePresenter::ShowRetryCancel(std::string_view text) {
    const std::string message(text);
    if (!gtk_is_initialized()) {
        g_warning("%s", message.c_str());  // loaded outside a GTK host
        return;
    }
    // GtkAlertDialog only arrives with GTK 4.10; Debian 12 ships 4.8. No title of its own
    // and no owner window; the answer is not used.
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
                                               GTK_BUTTONS_NONE, "%s", message.c_str());
    gtk_dialog_add_buttons(GTK_DIALOG(dialog), "_Retry", GTK_RESPONSE_ACCEPT, "_Cancel",
                           GTK_RESPONSE_CANCEL, nullptr);
    g_signal_connect(dialog, "response", G_CALLBACK(OnResponse), nullptr);
    gtk_window_present(GTK_WINDOW(dialog));
}

}  // namespace quillmark
