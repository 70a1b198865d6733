#pragma once

// A stand-in for Sonawell's quick-convert server on a test bus: owns a name, serves AddJobs
// on /QuickConvertEngine from a thread of its own and records every path it receives.

#include <gio/gio.h>

#include <future>
#include <mutex>
#include <string>
#include <thread>
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
    static void OnMethodCall(GDBusConnection*, const char*, const char*, const char*,
                             const char* method, GVariant* parameters,
                             GDBusMethodInvocation* invocation, gpointer self);
    void Run(std::promise<std::string>* ready);

    std::string busAddress_, name_, rejectMarker_;
    bool answers_ = true;
    std::vector<GDBusMethodInvocation*> unanswered_;  // the engine thread's only
    GMainContext* context_ = nullptr;
    GMainLoop* loop_ = nullptr;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> received_;
};

}  // namespace quillmarktest
