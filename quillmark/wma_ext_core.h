#pragma once

// The context-menu command handler, free of any file manager's toolkit: each host (the GNOME
// Files module, quillmark-invoke) feeds it the selection and shows what it asks for.

#include "common/result_codes.h"
#include "quillmark/hand_over.h"
#include "quillmark/message_presenter.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillmark {

inline constexpr std::string_view kIconName = "quillmark";

struct MenuItem {
    std::string text;
    unsigned commandId = 0;
};

// A command is picked by its offset from the first command id, or by a verb name.
using Command = std::variant<unsigned, std::string>;

class WMAExtCore {
public:
    explicit WMAExtCore(std::shared_ptr<MessagePresenter> messages, HandOverTarget target = {});

    // Keeps the selected paths, in order; the first whose name the table of formats knows, or
    // the first folder (a path ending in "/"), decides the item.
    sw::result::Code Initialize(std::vector<std::string> selection);

    // Inserts the item at `position` (clamped to the end); returns the command ids used.
    unsigned QueryContextMenu(std::vector<MenuItem>& menu, std::size_t position,
                              unsigned firstCommandId);

    // Starts handing every selected file to the converter, whatever its extension, and
    // returns at once; what can't be handed over is shown through the presenter. Always kOk.
    sw::result::Code InvokeCommand(const Command& command);

    // Sees the outcome of every hand-over this handler starts, retries included; it may
    // arrive after the handler is gone.
    void setObserver(HandOverObserver observer) { observer_ = std::move(observer); }

    bool showsItem() const { return show_; }
    // In the user's language.
    std::string_view menuText() const;
    std::string_view helpText() const;
    const std::vector<std::string>& selection() const { return selection_; }

private:
    std::shared_ptr<MessagePresenter> messages_;
    HandOverTarget target_;
    HandOverObserver observer_;
    std::vector<std::string> selection_;
    bool show_ = false;
    bool wmaSelection_ = false;
    unsigned firstCommandId_ = 0;
};

}  // namespace quillmark
