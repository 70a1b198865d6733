#pragma once

#include <string>
#include <string_view>

namespace quillmark {

// Who reads the Exec= line. A desktop-entry launcher takes "%" as the start of a field code, so
// a literal one is doubled; the session bus, reading a service file, knows no field codes.
enum class ExecReader { Launcher, Bus };

// One argument of an Exec= line, quoted by the Desktop Entry rules and escaped as a string
// value: `"/a b/c\"d"` for /a b/c"d. The same text works in Nemo's actions and in D-Bus service
// files, which parse the line as a shell would.
std::string QuoteExecArgument(std::string_view argument, ExecReader reader = ExecReader::Launcher);

}  // namespace quillmark
