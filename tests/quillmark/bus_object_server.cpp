#include "quillmark/bus_object_server.h"

#include <stdexcept>

namespace quillmarktest {

BusObjectServer::BusObjectServer(std::string busAddress, std::string name, std::string path,
                                 const char* introspection, Handler handler)
    : busAddress_(std::move(busAddress)),
      name_(std::move(name)),
      path_(std::move(path)),
      introspection_(introspection),
      handler_(std::move(handler)),
      context_(g_main_context_new()),
      loop_(g_main_loop_new(context_, FALSE)) {
    std::promise<std::string> ready;
    std::future<std::string> failure = ready.get_future();
    thread_ = std::thread(&BusObjectServer::Run, this, &ready);
    const std::string error = failure.get();
    if (!error.empty()) {
        thread_.join();
        g_main_loop_unref(loop_);
        g_main_context_unref(context_);
        throw std::runtime_error(error);
    }
}

BusObjectServer::~BusObjectServer() {
    // Through the loop's own context: a quit before the loop has started would be lost.
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

void BusObjectServer::OnMethodCall(GDBusConnection* bus, const char*, const char*, const char*,
                                   const char* method, GVariant* parameters,
                                   GDBusMethodInvocation* invocation, gpointer self) {
    static_cast<BusObjectServer*>(self)->handler_(bus, method, parameters, invocation);
}

void BusObjectServer::Run(std::promise<std::string>* ready) {
    g_main_context_push_thread_default(context_);
    g_autoptr(GError) error = nullptr;
    g_autoptr(GDBusConnection) bus = g_dbus_connection_new_for_address_sync(
        busAddress_.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    g_autoptr(GDBusNodeInfo) node =
        bus != nullptr ? g_dbus_node_info_new_for_xml(introspection_, &error) : nullptr;
    static const GDBusInterfaceVTable vtable{&BusObjectServer::OnMethodCall, nullptr, nullptr, {}};
    const guint registration =
        node != nullptr ? g_dbus_connection_register_object(bus, path_.c_str(), node->interfaces[0],
                                                            &vtable, this, nullptr, &error)
                        : 0;
    // DBUS_NAME_FLAG_DO_NOT_QUEUE (4): a taken name fails at once; 1 is "primary owner".
    g_autoptr(GVariant) reply =
        registration != 0
            ? g_dbus_connection_call_sync(
                  bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                  "RequestName", g_variant_new("(su)", name_.c_str(), 4u), G_VARIANT_TYPE("(u)"),
                  G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error)
            : nullptr;
    guint32 answer = 0;
    if (reply != nullptr) {
        g_variant_get(reply, "(u)", &answer);
    }
    if (answer != 1) {
        ready->set_value(error != nullptr ? error->message : "the name is taken");
    } else {
        ready->set_value({});
        g_main_loop_run(loop_);
    }
    if (registration != 0) {
        g_dbus_connection_unregister_object(bus, registration);
    }
    if (bus != nullptr) {
        // Replies already given must reach their callers: closing drops what is still queued,
        // which a slow caller (a sanitized or busy run) then sees as a server gone without an
        // answer, in whatever test comes next.
        g_dbus_connection_flush_sync(bus, nullptr, nullptr);
        g_dbus_connection_close_sync(bus, nullptr, nullptr);
    }
    g_main_context_pop_thread_default(context_);
}

}  // namespace quillmarktest
