#pragma once

// The converter's automation server on the session bus, as its clients address it. These names
// are a contract with every installed extension and script: never change them.
namespace sw::bus {

inline constexpr char kServiceName[] = "Sonawell.QuickConvertEngine";
inline constexpr char kObjectPath[] = "/QuickConvertEngine";
inline constexpr char kInterface[] = "Sonawell.QuickConvertEngine";
inline constexpr char kAddJobs[] = "AddJobs";

}  // namespace sw::bus
