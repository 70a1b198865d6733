#pragma once

// The session bus reads the user's service folder ($XDG_DATA_HOME/dbus-1/services) before the
// system ones, so a file that a run from a build folder left there shadows the installed
// Sonawell's, and goes on naming its program after the build folder is gone. Sonawell removes
// it when it starts; a hand-over that the bus could not start it for has to do it instead.

#include <string>
#include <string_view>

namespace quickconvert {

// Removes the user's service file for `busName` when a system folder of the session bus
// provides the name too. Returns the path removed, or "" when there was none to remove or it
// could not be removed.
std::string RemoveShadowingServiceFile(std::string_view busName);

}  // namespace quickconvert
