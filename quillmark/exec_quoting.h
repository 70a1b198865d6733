#pragma once

#include <string>
#include <string_view>

namespace quillmark {

// One argument of an Exec= line, quoted by the Desktop Entry rules and escaped as a string
// value: `"/a b/c\"d"` for /a b/c"d. The same text works in Nemo's actions, which parse the
// line as a shell would.
std::string QuoteExecArgument(std::string_view argument);

}  // namespace quillmark
