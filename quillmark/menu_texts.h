#pragma once

// The context-menu command's texts in English: the GNOME Files module shows them through the
// catalogue, the service menus and Nemo actions carry them with every translation of it.

#include <glib/gi18n-lib.h>

namespace quillmark {

struct CommandTexts {
    const char* id;  // the command's action id in the service menus
    const char* label;
    const char* help;
};

inline constexpr CommandTexts kToWmaTexts{"convertToWma", N_("Convert To WMA"),
                                          N_("Convert this audio file to WMA format.")};
inline constexpr CommandTexts kToWavTexts{"convertToWav", N_("Convert to WAV"),
                                          N_("Convert this audio file to WAV format.")};

}  // namespace quillmark
