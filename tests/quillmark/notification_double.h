#pragma once

// A desktop notification server on a test bus: keeps the body of every notification and
// answers each with the next of the given actions ("retry", "cancel"), then closes it; with
// no actions left it only closes it.

#include <gio/gio.h>

#include <deque>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillmarktest {

class NotificationDouble {
public:
    NotificationDouble(std::string busAddress, std::deque<std::string> answers);
    ~NotificationDouble();
    NotificationDouble(const NotificationDouble&) = delete;
    NotificationDouble& operator=(const NotificationDouble&) = delete;

    std::vector<std::string> bodies() const;

private:
    static void OnMethodCall(GDBusConnection* bus, const char*, const char*, const char*,
                             const char* method, GVariant* parameters,
                             GDBusMethodInvocation* invocation, gpointer self);
    void Run(std::promise<std::string>* ready);

    std::string busAddress_;
    std::deque<std::string> answers_;  // the server thread's only
    GMainContext* context_ = nullptr;
    GMainLoop* loop_ = nullptr;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> bodies_;
};

}  // namespace quillmarktest
