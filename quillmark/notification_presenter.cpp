#include "quillmark/notification_presenter.h"

#include "quillmark/wma_ext_core.h"

#include <gio/gio.h>

#include <cstdio>
#include <string>

namespace quillmark {

void NotificationPresenter::ShowRetryCancel(std::string_view text) {
    const std::string message(text);
    std::fprintf(stderr, "quillmark-invoke: %s\n", message.c_str());

    g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (bus == nullptr) {
        return;
    }
    GVariantBuilder actions;
    g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
    for (const char* action : {"retry", "Retry", "cancel", "Cancel"}) {
        g_variant_builder_add(&actions, "s", action);
    }
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
    const std::string icon(kIconName);
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
        "org.freedesktop.Notifications", "Notify",
        g_variant_new("(susssasa{sv}i)", "Quillmark", 0u, icon.c_str(), "Quillmark",
                      message.c_str(), &actions, &hints, -1),
        nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
}

}  // namespace quillmark
