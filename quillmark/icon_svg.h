#pragma once

namespace quillmark {

// The extension's icon (data/quillmark.svg), built into the program so registration can
// install it from wherever quillmark-invoke runs.
extern const char kIconSvg[];

}  // namespace quillmark
