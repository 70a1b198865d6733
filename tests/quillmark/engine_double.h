#pragma once

// A stand-in for Sonawell's quick-convert server on a test bus: owns a name, serves AddJobs
// on /QuickConvertEngine from a thread of its own and records every path it receives.

#include "quillmark/bus_object_server.h"

#include <gio/gio.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quillmarktest {

class EngineDouble {
public:
    // Paths containing `rejectMarker` (when not empty) are answered with an error. With
    // `answers` false it takes every call and never answers one: a hung server.
    EngineDouble(std::string busAddress, std::string name = "Sonawell.QuickConvertEngine",
                 std::string rejectMarker = {}, bool answers = true);
    ~EngineDouble();
    EngineDouble(const EngineDouble&) = delete;
    EngineDouble& operator=(const EngineDouble&) = delete;

    std::vector<std::string> received() const;

private:
    void OnMethodCall(const char* method, GVariant* parameters, GDBusMethodInvocation* invocation);

    const std::string rejectMarker_;
    const bool answers_ = true;
    std::vector<GDBusMethodInvocation*> unanswered_;  // the server thread's only
    mutable std::mutex mutex_;
    std::vector<std::string> received_;
    std::unique_ptr<BusObjectServer> server_;  // last: it calls into the members above
};

}  // namespace quillmarktest
