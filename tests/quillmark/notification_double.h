#pragma once

// A desktop notification server on a test bus: keeps the body of every notification and
// answers each with the next of the given actions ("retry", "cancel"), then closes it; with
// no actions left it only closes it.

#include "quillmark/bus_object_server.h"

#include <gio/gio.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quillmarktest {

class NotificationDouble {
public:
    NotificationDouble(std::string busAddress, std::deque<std::string> answers);
    NotificationDouble(const NotificationDouble&) = delete;
    NotificationDouble& operator=(const NotificationDouble&) = delete;

    std::vector<std::string> bodies() const;

private:
    void OnNotify(GDBusConnection* bus, GVariant* parameters, GDBusMethodInvocation* invocation);

    std::deque<std::string> answers_;  // the server thread's only
    mutable std::mutex mutex_;
    std::vector<std::string> bodies_;
    std::unique_ptr<BusObjectServer> server_;  // last: it calls into the members above
};

}  // namespace quillmarktest
