// quillmark-test-engine RECORD_FILE: the quick-convert server double that a test bus starts
// through its service file. Appends every path it receives to RECORD_FILE, each followed by
// a NUL byte, and ends with the bus.

#include <fcntl.h>
#include <gio/gio.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kIntrospection[] =
    "<node><interface name='Sonawell.QuickConvertEngine'>"
    "<method name='AddJobs'><arg type='s' name='strFileName' direction='in'/></method>"
    "</interface></node>";

int recordFd = -1;

void OnMethodCall(GDBusConnection*, const char*, const char*, const char*, const char*,
                  GVariant* parameters, GDBusMethodInvocation* invocation, gpointer) {
    const char* path = nullptr;
    g_variant_get(parameters, "(&s)", &path);
    const ssize_t written = write(recordFd, path, std::strlen(path) + 1);
    if (written < 0) {
        g_dbus_method_invocation_return_dbus_error(invocation, "Test.Error.Record",
                                                   g_strerror(errno));
        return;
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: quillmark-test-engine RECORD_FILE\n", stderr);
        return 2;
    }
    recordFd = open(argv[1], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (recordFd < 0) {
        return 1;
    }
    g_autoptr(GError) error = nullptr;
    // The starter bus: the one whose activation started this program; ends it when it closes.
    g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_STARTER, nullptr, &error);
    if (bus == nullptr) {
        std::fprintf(stderr, "quillmark-test-engine: %s\n", error->message);
        return 1;
    }
    g_autoptr(GDBusNodeInfo) node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
    static const GDBusInterfaceVTable vtable{OnMethodCall, nullptr, nullptr, {}};
    if (g_dbus_connection_register_object(bus, "/QuickConvertEngine", node->interfaces[0], &vtable,
                                          nullptr, nullptr, &error) == 0) {
        std::fprintf(stderr, "quillmark-test-engine: %s\n", error->message);
        return 1;
    }
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
        g_variant_new("(su)", "Sonawell.QuickConvertEngine", 4u), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
    if (reply == nullptr) {
        return 1;
    }
    g_autoptr(GMainLoop) loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop);
    return 0;
}
