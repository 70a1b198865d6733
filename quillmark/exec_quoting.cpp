#include "quillmark/exec_quoting.h"

namespace quillmark {

std::string QuoteExecArgument(std::string_view argument, ExecReader reader) {
    // First the quoting rule: inside double quotes, ", `, $ and \ take a backslash.
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
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

}  // namespace quillmark
