#pragma once

// The context-menu command handler, free of any file manager's toolkit: each host (the GNOME
// Files module, quillmark-invoke) feeds it the selection and shows what it asks for.

#include "quillmark/message_presenter.h"
#include "quillmark/quick_convert_client.h"
#include "quillmark/result_codes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillmark {

inline constexpr std::string_view kMenuTextToWma = "Convert To WMA";
inline constexpr std::string_view kMenuTextToWav = "Convert to WAV";
inline constexpr std::string_view kHelpText = "Convert this audio file to WMA format.";
inline constexpr std::string_view kFailedDispatch = "failed dispatch";
inline constexpr std::string_view kIconName = "quillmark";

// GetCommandString types: the help text in UTF-8 or UTF-16.
inline constexpr unsigned kHelpTextUtf8 = 1;
inline constexpr unsigned kHelpTextUtf16 = 5;

struct MenuItem {
    std::string text;
    unsigned commandId = 0;
};

// A command is picked by its offset from the first command id, or by a verb name.
using Command = std::variant<unsigned, std::string>;

class WMAExtCore {
public:
    // `busAddress` empty means the session bus.
    explicit WMAExtCore(MessagePresenter& messages, std::string busAddress = {});

    // Keeps the selected paths, in order; the first with a known extension decides the item.
    ResultCode Initialize(std::vector<std::string> selection);

    // Inserts the item at `position` (clamped to the end); returns the command ids used.
    unsigned QueryContextMenu(std::vector<MenuItem>& menu, std::size_t position,
                              unsigned firstCommandId);

    // Copies the help text, cut to `size` units including the terminating NUL, never
    // splitting a character. Other types write nothing.
    ResultCode GetCommandString(unsigned offset, unsigned type, char* buffer,
                                std::size_t size) const;
    ResultCode GetCommandString(unsigned offset, unsigned type, char16_t* buffer,
                                std::size_t size) const;

    // Hands every selected file to the converter, whatever its extension. Always kOk.
    ResultCode InvokeCommand(const Command& command);

    bool showsItem() const { return show_; }
    std::string_view menuText() const { return wmaSelection_ ? kMenuTextToWav : kMenuTextToWma; }
    const std::vector<std::string>& selection() const { return selection_; }
    // The outcome of the last InvokeCommand that tried to reach the converter.
    const std::optional<quickconvert::AddJobsResult>& lastDispatch() const { return lastDispatch_; }

private:
    MessagePresenter& messages_;
    std::string busAddress_;
    std::vector<std::string> selection_;
    bool show_ = false;
    bool wmaSelection_ = false;
    unsigned firstCommandId_ = 0;
    std::optional<quickconvert::AddJobsResult> lastDispatch_;
};

}  // namespace quillmark
