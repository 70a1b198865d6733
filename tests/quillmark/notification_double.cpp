#include "quillmark/notification_double.h"

namespace quillmarktest {
namespace {

constexpr char kName[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kIntrospection[] =
    "<node><interface name='org.freedesktop.Notifications'>"
    "<method name='Notify'><arg type='s' direction='in'/><arg type='u' direction='in'/>"
    "<arg type='s' direction='in'/><arg type='s' direction='in'/><arg type='s' direction='in'/>"
    "<arg type='as' direction='in'/><arg type='a{sv}' direction='in'/>"
    "<arg type='i' direction='in'/><arg type='u' direction='out'/></method>"
    "</interface></node>";

}  // namespace

NotificationDouble::NotificationDouble(std::string busAddress, std::deque<std::string> answers)
    : answers_(std::move(answers)) {
    server_ = std::make_unique<BusObjectServer>(
        std::move(busAddress), kName, kPath, kIntrospection,
        [this](GDBusConnection* bus, const char*, GVariant* parameters,
               GDBusMethodInvocation* invocation) { OnNotify(bus, parameters, invocation); });
}

std::vector<std::string> NotificationDouble::bodies() const {
    std::lock_guard lock(mutex_);
    return bodies_;
}

void NotificationDouble::OnNotify(GDBusConnection* bus, GVariant* parameters,
                                  GDBusMethodInvocation* invocation) {
    const char* body = nullptr;
    g_variant_get_child(parameters, 4, "&s", &body);
    guint32 id = 0;
    {
        std::lock_guard lock(mutex_);
        bodies_.emplace_back(body);
        id = static_cast<guint32>(bodies_.size());
    }
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", id));
    if (!answers_.empty()) {
        const std::string action = answers_.front();
        answers_.pop_front();
        g_dbus_connection_emit_signal(bus, nullptr, kPath, kName, "ActionInvoked",
                                      g_variant_new("(us)", id, action.c_str()), nullptr);
    }
    g_dbus_connection_emit_signal(bus, nullptr, kPath, kName, "NotificationClosed",
                                  g_variant_new("(uu)", id, 2u), nullptr);
}

}  // namespace quillmarktest
