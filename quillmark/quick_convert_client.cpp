#include "quillmark/quick_convert_client.h"

#include <gio/gio.h>

#include <array>
#include <optional>

namespace quickconvert {
namespace {

constexpr int kCallTimeoutMs = -1;  // the bus default, long enough for an activation

// ProgIDs this extension knows, for a bus that refuses to list its names.
constexpr std::array<std::pair<std::string_view, std::string_view>, 1> kKnownProgIds{{
    {"sonawell.quickconvertengine", kBusName},
}};

std::string Describe(const GError* error) {
    return error != nullptr ? std::string(error->message) : std::string("unknown error");
}

GDBusConnection* Connect(const std::string& busAddress, std::string* error) {
    g_autoptr(GError) gerror = nullptr;
    GDBusConnection* connection =
        busAddress.empty()
            ? g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &gerror)
            : g_dbus_connection_new_for_address_sync(
                  busAddress.c_str(),
                  static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                    G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                  nullptr, nullptr, &gerror);
    if (connection == nullptr && error != nullptr) {
        *error = "cannot connect to the session bus: " + Describe(gerror);
    }
    return connection;
}

// The names the bus daemon reports from ListNames or ListActivatableNames; nullopt when the
// call fails.
std::optional<std::vector<std::string>> ListBusNames(GDBusConnection* bus, const char* method) {
    g_autoptr(GError) error = nullptr;
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
        nullptr, G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, &error);
    if (reply == nullptr) {
        return std::nullopt;
    }
    g_autoptr(GVariant) list = g_variant_get_child_value(reply, 0);
    g_autofree const char** names = g_variant_get_strv(list, nullptr);
    std::vector<std::string> result;
    for (const char** name = names; name != nullptr && *name != nullptr; ++name) {
        result.emplace_back(*name);
    }
    return result;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && g_ascii_strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string ResolveOn(GDBusConnection* bus, std::string_view progId, std::string* error) {
    bool listed = false;
    for (const char* method : {"ListNames", "ListActivatableNames"}) {
        const auto names = ListBusNames(bus, method);
        if (!names) {
            continue;
        }
        listed = true;
        for (const std::string& name : *names) {
            if (EqualIgnoringCase(name, progId)) {
                return name;
            }
        }
    }
    if (!listed) {
        for (const auto& [known, busName] : kKnownProgIds) {
            if (EqualIgnoringCase(known, progId)) {
                return std::string(busName);
            }
        }
    }
    if (error != nullptr) {
        *error = "no program owns or can be started for \"" + std::string(progId) + "\"";
    }
    return {};
}

// Errors by which the bus says the name has no owner and could not be started for it.
bool MeansUnreachable(const GError* error) {
    if (error == nullptr || !g_dbus_error_is_remote_error(error)) {
        return false;
    }
    g_autofree char* name = g_dbus_error_get_remote_error(error);
    const std::string_view remote(name != nullptr ? name : "");
    return remote == "org.freedesktop.DBus.Error.ServiceUnknown" ||
           remote == "org.freedesktop.DBus.Error.NameHasNoOwner" ||
           remote.starts_with("org.freedesktop.DBus.Error.Spawn.");
}

}  // namespace

std::string ResolveBusName(std::string_view progId, std::string* error,
                           const std::string& busAddress) {
    g_autoptr(GDBusConnection) bus = Connect(busAddress, error);
    if (bus == nullptr) {
        return {};
    }
    return ResolveOn(bus, progId, error);
}

AddJobsResult AddJobs(std::string_view progId, const std::vector<std::string>& files,
                      const std::string& busAddress) {
    AddJobsResult result;
    g_autoptr(GDBusConnection) bus = Connect(busAddress, &result.unreachable);
    if (bus == nullptr) {
        return result;
    }
    result.busName = ResolveOn(bus, progId, &result.unreachable);
    if (result.busName.empty()) {
        return result;
    }
    result.reached = true;
    bool answered = false;
    for (std::size_t index = 0; index < files.size(); ++index) {
        const std::string& path = files[index];
        // D-Bus strings are UTF-8; a file name in another encoding can't be sent as one.
        if (!g_utf8_validate(path.data(), static_cast<gssize>(path.size()), nullptr)) {
            result.failures.push_back({index, path, "the path is not valid UTF-8"});
            continue;
        }
        g_autoptr(GError) error = nullptr;
        // Auto-start stays allowed: the first call starts the server through the bus.
        g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
            bus, result.busName.c_str(), kObjectPath.data(), kInterface.data(), kMethod.data(),
            g_variant_new("(s)", path.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs,
            nullptr, &error);
        if (reply != nullptr) {
            answered = true;
            result.handedOver.push_back(path);
            continue;
        }
        if (!answered && MeansUnreachable(error)) {
            // The name vanished between the look-up and the first call.
            result.reached = false;
            result.unreachable = Describe(error);
            return result;
        }
        answered = true;
        result.failures.push_back({index, path, Describe(error)});
    }
    return result;
}

}  // namespace quickconvert
