#pragma once

namespace quillmark {

// The menu texts of the service menus and Nemo actions with every translation in po/, as a
// key file made at build time by msgfmt --desktop: a group per command id holding Name and
// Comment with their Name[xx] and Comment[xx].
extern const char kEntryTexts[];

}  // namespace quillmark
