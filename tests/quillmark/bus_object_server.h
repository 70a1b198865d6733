#pragma once

// A D-Bus object under a well-known name, served from a thread of its own: the code under
// test may block its own thread in a call while the object answers.

#include <gio/gio.h>

#include <functional>
#include <future>
#include <string>
#include <thread>

namespace quillmarktest {

class BusObjectServer {
public:
    // Called on the server's thread for every method call on the object.
    using Handler = std::function<void(GDBusConnection* bus, const char* method,
                                       GVariant* parameters, GDBusMethodInvocation* invocation)>;

    // Serves the introspection's first interface at `path` and owns `name` once constructed;
    // throws std::runtime_error when the bus can't be reached or the name is taken.
    BusObjectServer(std::string busAddress, std::string name, std::string path,
                    const char* introspection, Handler handler);
    // Ends the thread: no call is answered after this returns.
    ~BusObjectServer();
    BusObjectServer(const BusObjectServer&) = delete;
    BusObjectServer& operator=(const BusObjectServer&) = delete;

private:
    static void OnMethodCall(GDBusConnection* bus, const char*, const char*, const char*,
                             const char* method, GVariant* parameters,
                             GDBusMethodInvocation* invocation, gpointer self);
    void Run(std::promise<std::string>* ready);

    const std::string busAddress_, name_, path_;
    const char* const introspection_;
    const Handler handler_;
    GMainContext* context_ = nullptr;
    GMainLoop* loop_ = nullptr;
    std::thread thread_;
};

}  // namespace quillmarktest
