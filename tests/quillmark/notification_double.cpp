#include "quillmark/notification_double.h"

#include <future>
#include <stdexcept>

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
    : busAddress_(std::move(busAddress)),
      answers_(std::move(answers)),
      context_(g_main_context_new()),
      loop_(g_main_loop_new(context_, FALSE)) {
    std::promise<std::string> ready;
    std::future<std::string> failure = ready.get_future();
    thread_ = std::thread(&NotificationDouble::Run, this, &ready);
    const std::string error = failure.get();
    if (!error.empty()) {
        thread_.join();
        g_main_loop_unref(loop_);
        g_main_context_unref(context_);
        throw std::runtime_error(error);
    }
}

NotificationDouble::~NotificationDouble() {
    g_autoptr(GSource) quit = g_idle_source_new();
    g_source_set_callback(
        quit,
        [](gpointer loop) {
            g_main_loop_quit(static_cast<GMainLoop*>(loop));
            return G_SOURCE_REMOVE;
        },
        loop_, nullptr);
    g_source_attach(quit, context_);
    thread_.join();
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
}

std::vector<std::string> NotificationDouble::bodies() const {
    std::lock_guard lock(mutex_);
    return bodies_;
}

void NotificationDouble::OnMethodCall(GDBusConnection* bus, const char*, const char*, const char*,
                                      const char* /*method*/, GVariant* parameters,
                                      GDBusMethodInvocation* invocation, gpointer self) {
    auto* server = static_cast<NotificationDouble*>(self);
    const char* body = nullptr;
    g_variant_get_child(parameters, 4, "&s", &body);
    guint32 id = 0;
    {
        std::lock_guard lock(server->mutex_);
        server->bodies_.emplace_back(body);
        id = static_cast<guint32>(server->bodies_.size());
    }
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", id));
    if (!server->answers_.empty()) {
        const std::string action = server->answers_.front();
        server->answers_.pop_front();
        g_dbus_connection_emit_signal(bus, nullptr, kPath, kName, "ActionInvoked",
                                      g_variant_new("(us)", id, action.c_str()), nullptr);
    }
    g_dbus_connection_emit_signal(bus, nullptr, kPath, kName, "NotificationClosed",
                                  g_variant_new("(uu)", id, 2u), nullptr);
}

void NotificationDouble::Run(std::promise<std::string>* ready) {
    g_main_context_push_thread_default(context_);
    g_autoptr(GError) error = nullptr;
    g_autoptr(GDBusConnection) bus = g_dbus_connection_new_for_address_sync(
        busAddress_.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    g_autoptr(GDBusNodeInfo) node =
        bus != nullptr ? g_dbus_node_info_new_for_xml(kIntrospection, &error) : nullptr;
    static const GDBusInterfaceVTable vtable{
        &NotificationDouble::OnMethodCall, nullptr, nullptr, {}};
    const guint registration =
        node != nullptr ? g_dbus_connection_register_object(bus, kPath, node->interfaces[0],
                                                            &vtable, this, nullptr, &error)
                        : 0;
    g_autoptr(GVariant) reply =
        registration != 0
            ? g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                          "org.freedesktop.DBus", "RequestName",
                                          g_variant_new("(su)", kName, 4u), G_VARIANT_TYPE("(u)"),
                                          G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error)
            : nullptr;
    if (reply != nullptr) {
        ready->set_value({});
        g_main_loop_run(loop_);
    } else {
        ready->set_value(error != nullptr ? error->message : "the name is taken");
    }
    if (registration != 0) {
        g_dbus_connection_unregister_object(bus, registration);
    }
    if (bus != nullptr) {
        g_dbus_connection_close_sync(bus, nullptr, nullptr);
    }
    g_main_context_pop_thread_default(context_);
}

}  // namespace quillmarktest
