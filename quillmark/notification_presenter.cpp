#include "quillmark/notification_presenter.h"

#include "quillmark/wma_ext_core.h"

#include <gio/gio.h>
#include <glib/gi18n-lib.h>

#include <cstdio>
#include <string>

namespace quillmark {
namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr guint kAnswerBoundSeconds = 300;  // then the program ends as if Cancel was chosen

enum class Answer { None, Retry, Closed };

struct Waiting {
    guint32 id = 0;
    Answer answer = Answer::None;
};

void OnSignal(GDBusConnection*, const char*, const char*, const char*, const char* signal,
              GVariant* parameters, gpointer data) {
    auto* waiting = static_cast<Waiting*>(data);
    guint32 id = 0;
    if (g_strcmp0(signal, "ActionInvoked") == 0) {
        const char* action = nullptr;
        g_variant_get(parameters, "(u&s)", &id, &action);
        if (id == waiting->id) {
            waiting->answer = g_strcmp0(action, "retry") == 0 ? Answer::Retry : Answer::Closed;
        }
    } else if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(uu)"))) {
        g_variant_get(parameters, "(uu)", &id, nullptr);
        if (id == waiting->id && waiting->answer == Answer::None) {
            waiting->answer = Answer::Closed;
        }
    }
}

// Shows the notification and waits for its answer on a main context of its own.
Answer Notify(GDBusConnection* bus, const std::string& text) {
    g_autoptr(GMainContext) context = g_main_context_new();
    g_main_context_push_thread_default(context);
    Waiting waiting;
    // Subscribed before the notification exists, so a quick answer is not missed.
    const guint subscription =
        g_dbus_connection_signal_subscribe(bus, nullptr, kService, nullptr, kPath, nullptr,
                                           G_DBUS_SIGNAL_FLAGS_NONE, OnSignal, &waiting, nullptr);
    GVariantBuilder actions;
    g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
    // Ids, each followed by its button text.
    const char* const idsAndTexts[] = {"retry", _("Retry"), "cancel", _("Cancel")};
    for (const char* action : idsAndTexts) {
        g_variant_builder_add(&actions, "s", action);
    }
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
    const std::string icon(kIconName);
    // The body may be read as markup: a file name is text.
    g_autofree char* body = g_markup_escape_text(text.c_str(), -1);
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        bus, kService, kPath, kService, "Notify",
        g_variant_new("(susssasa{sv}i)", kMessageTitle, 0u, icon.c_str(), kMessageTitle, body,
                      &actions, &hints, -1),
        G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (reply != nullptr) {
        g_variant_get(reply, "(u)", &waiting.id);
        bool timedOut = false;
        g_autoptr(GSource) bound = g_timeout_source_new_seconds(kAnswerBoundSeconds);
        g_source_set_callback(
            bound,
            [](gpointer flag) {
                *static_cast<bool*>(flag) = true;
                return G_SOURCE_REMOVE;
            },
            &timedOut, nullptr);
        g_source_attach(bound, context);
        while (waiting.answer == Answer::None && !timedOut) {
            g_main_context_iteration(context, TRUE);
        }
        g_source_destroy(bound);
    }
    g_dbus_connection_signal_unsubscribe(bus, subscription);
    g_main_context_pop_thread_default(context);
    return waiting.answer;
}

}  // namespace

void NotificationPresenter::ShowRetryCancel(const std::string& text, std::function<void()> retry) {
    std::fprintf(stderr, "quillmark-invoke: %s\n", text.c_str());
    g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (bus != nullptr && Notify(bus, text) == Answer::Retry && retry) {
        retry();
    }
}

}  // namespace quillmark
