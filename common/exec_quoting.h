#pragma once

#include <string>
#include <string_view>

namespace sw {

// Who reads the Exec= line. A desktop-entry launcher takes "%" as the start of a field code, so
// a literal one is doubled; the session bus, reading a service file, knows no field codes.
enum class ExecReader { Launcher, Bus };

// One argument of an Exec= line, quoted by the Desktop Entry rules and escaped as a string
// value: `"/a b/c\"d"` for /a b/c"d. The same text works in Nemo's actions and in D-Bus service
// files, which parse the line as a shell would.
inline std::string quoteExecArgument(std::string_view argument,
                                     ExecReader reader = ExecReader::Launcher) {
    // First the quoting rule: inside double quotes, ", `, $ and \ take a backslash.
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    // Then the string-value escapes of the key file, and %% for a launcher's literal percent sign.
    std::string escaped;
    for (const char c : quoted) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '%':
                escaped += reader == ExecReader::Launcher ? "%%" : "%";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace sw
