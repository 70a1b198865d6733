#pragma once

// Hands files to Sonawell's quick-convert automation server over the D-Bus session bus.
// Plain C++ on purpose: the GNOME Files module, quillmark-invoke and the converter's Qt
// tests all link it (target quickconvert-client).

#include "common/bus_names.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quickconvert {

inline constexpr std::string_view kProgId = "Sonawell.quickConvertEngine";
inline constexpr std::string_view kBusName = sw::bus::kServiceName;
inline constexpr std::string_view kObjectPath = sw::bus::kObjectPath;
inline constexpr std::string_view kInterface = sw::bus::kInterface;
inline constexpr std::string_view kMethod = sw::bus::kAddJobs;

// One bound for a whole hand-over however many files it holds: connecting, finding the
// server, letting the bus start it and every file's answer.
inline constexpr std::chrono::milliseconds kHandOverBound{20000};

enum class FailureKind {
    Refused,      // the server answered the call with an error
    NoAnswer,     // no answer within the bound
    CannotCarry,  // the name can't be written as a bus string, not even as a file:// URI
};

struct CallFailure {
    std::size_t index = 0;  // position of the file in the list handed in
    std::string path;
    FailureKind kind = FailureKind::Refused;
    std::string message;  // the D-Bus error name and text, or what kept the call from going out
};

struct AddJobsResult {
    // False when the server could not be reached at all: no bus, the name has no owner and
    // the bus cannot start it, or the bus itself did not answer in time. Nothing was handed
    // over then.
    bool reached = false;
    std::string busName;                  // the name the calls went to
    std::string unreachable;              // why the server could not be reached
    std::vector<std::string> handedOver;  // in the order handed in
    std::vector<CallFailure> failures;    // in the order handed in
    // The user's service file that shadowed the installed one, removed because the bus could
    // not start the program it named; the calls then went once more.
    std::string removedServiceFile;

    bool allHandedOver() const { return reached && failures.empty(); }
};

using AddJobsDone = std::function<void(AddJobsResult)>;

// Finds the bus name that a ProgID-style name stands for, without regard to case, among the
// names owned on the bus and the names it can start; falls back to the known ProgIDs when
// the bus won't list its names. Empty when neither knows the name; `error` then says why.
// `busAddress` empty means the session bus.
std::string ResolveBusName(std::string_view progId, std::string* error = nullptr,
                           const std::string& busAddress = {});

// Resolves `progId` and calls AddJobs once per file, all sent at once and so received in
// order, letting the bus start the server on the first. A file whose name is not UTF-8 goes
// as a file:// URI. Returns at once; `done` runs once on the calling thread's thread-default
// main context, when every call is answered or when `bound` has passed, whichever is first.
void AddJobsAsync(std::string_view progId, std::vector<std::string> files, AddJobsDone done,
                  const std::string& busAddress = {},
                  std::chrono::milliseconds bound = kHandOverBound);

// The same, waiting for the outcome on a main context of its own. Never throws.
AddJobsResult AddJobs(std::string_view progId, const std::vector<std::string>& files,
                      const std::string& busAddress = {},
                      std::chrono::milliseconds bound = kHandOverBound);

}  // namespace quickconvert
