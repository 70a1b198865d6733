#pragma once

#include "quillmark/message_presenter.h"

namespace quillmark {

// quillmark-invoke runs from a file manager without a terminal: the message goes to stderr
// and, where a notification server runs, to a desktop notification with Retry and Cancel.
// Shown, it waits (bounded) for the answer, and Retry runs before it returns.
class NotificationPresenter final : public MessagePresenter {
public:
    void ShowRetryCancel(const std::string& text, std::function<void()> retry) override;
};

}  // namespace quillmark
