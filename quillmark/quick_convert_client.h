#pragma once

// Hands files to Sonawell's quick-convert automation server over the D-Bus session bus.
// Plain C++ on purpose: the GNOME Files module, quillmark-invoke and the converter's Qt
// tests all link it (target quickconvert-client).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quickconvert {

inline constexpr std::string_view kProgId = "Sonawell.quickConvertEngine";
inline constexpr std::string_view kBusName = "Sonawell.QuickConvertEngine";
inline constexpr std::string_view kObjectPath = "/QuickConvertEngine";
inline constexpr std::string_view kInterface = "Sonawell.QuickConvertEngine";
inline constexpr std::string_view kMethod = "AddJobs";

struct CallFailure {
    std::size_t index = 0;  // position of the file in the list handed in
    std::string path;
    std::string message;  // the D-Bus error name and text
};

struct AddJobsResult {
    // False when the server could not be reached at all: no bus, or the name has no owner
    // and the bus cannot start it. Nothing was handed over then.
    bool reached = false;
    std::string busName;                  // the name the calls went to
    std::string unreachable;              // why the server could not be reached
    std::vector<std::string> handedOver;  // in the order handed in
    std::vector<CallFailure> failures;    // calls the server answered with an error

    bool allHandedOver() const { return reached && failures.empty(); }
};

// Finds the bus name that a ProgID-style name stands for, without regard to case, among the
// names owned on the bus and the names it can start; falls back to the known ProgIDs when
// the bus won't list its names. Empty when neither knows the name; `error` then says why.
// `busAddress` empty means the session bus.
std::string ResolveBusName(std::string_view progId, std::string* error = nullptr,
                           const std::string& busAddress = {});

// Resolves `progId` and calls AddJobs once per file, in order, letting the bus start the
// server on the first call. A call that fails for one file is recorded and the rest are
// still handed over. Never throws.
AddJobsResult AddJobs(std::string_view progId, const std::vector<std::string>& files,
                      const std::string& busAddress = {});

}  // namespace quickconvert
