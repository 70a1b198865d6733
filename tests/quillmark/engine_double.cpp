#include "quillmark/engine_double.h"

#include <future>
#include <stdexcept>

namespace quillmarktest {
namespace {

constexpr char kIntrospection[] =
    "<node><interface name='Sonawell.QuickConvertEngine'>"
    "<method name='AddJobs'><arg type='s' name='strFileName' direction='in'/></method>"
    "</interface></node>";

}  // namespace

EngineDouble::EngineDouble(std::string busAddress, std::string name, std::string rejectMarker,
                           bool answers)
    : busAddress_(std::move(busAddress)),
      name_(std::move(name)),
      rejectMarker_(std::move(rejectMarker)),
      answers_(answers),
      context_(g_main_context_new()),
      loop_(g_main_loop_new(context_, FALSE)) {
    std::promise<std::string> ready;
    std::future<std::string> failure = ready.get_future();
    thread_ = std::thread(&EngineDouble::Run, this, &ready);
    const std::string error = failure.get();
    if (!error.empty()) {
        thread_.join();
        g_main_loop_unref(loop_);
        g_main_context_unref(context_);
        throw std::runtime_error(error);
    }
}

EngineDouble::~EngineDouble() {
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

std::vector<std::string> EngineDouble::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

void EngineDouble::OnMethodCall(GDBusConnection*, const char*, const char*, const char*,
                                const char* method, GVariant* parameters,
                                GDBusMethodInvocation* invocation, gpointer self) {
    auto* engine = static_cast<EngineDouble*>(self);
    if (g_strcmp0(method, "AddJobs") != 0) {
        g_dbus_method_invocation_return_dbus_error(invocation, "Test.Error.UnknownMethod", method);
        return;
    }
    const char* path = nullptr;
    g_variant_get(parameters, "(&s)", &path);
    {
        std::lock_guard lock(engine->mutex_);
        engine->received_.emplace_back(path);
    }
    if (!engine->answers_) {
        engine->unanswered_.push_back(invocation);
        return;
    }
    if (!engine->rejectMarker_.empty() &&
        std::string(path).find(engine->rejectMarker_) != std::string::npos) {
        g_dbus_method_invocation_return_dbus_error(invocation, "Sonawell.Error.Rejected",
                                                   "this file was refused");
        return;
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

void EngineDouble::Run(std::promise<std::string>* ready) {
    g_main_context_push_thread_default(context_);
    g_autoptr(GError) error = nullptr;
    g_autoptr(GDBusConnection) bus = g_dbus_connection_new_for_address_sync(
        busAddress_.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    g_autoptr(GDBusNodeInfo) node =
        bus != nullptr ? g_dbus_node_info_new_for_xml(kIntrospection, &error) : nullptr;
    static const GDBusInterfaceVTable vtable{&EngineDouble::OnMethodCall, nullptr, nullptr, {}};
    guint registration = node != nullptr ? g_dbus_connection_register_object(
                                               bus, "/QuickConvertEngine", node->interfaces[0],
                                               &vtable, this, nullptr, &error)
                                         : 0;
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
    for (GDBusMethodInvocation* invocation : unanswered_) {
        g_object_unref(invocation);
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
