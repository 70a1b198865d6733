#pragma once

#include "quillmark/message_presenter.h"

namespace quillmark {

// quillmark-invoke runs from a file manager without a terminal: the message goes to stderr
// and, where a notification server runs, to a desktop notification with Retry and Cancel
// actions. The answer is not awaited.
class NotificationPresenter final : public MessagePresenter {
public:
    void ShowRetryCancel(std::string_view text) override;
};

}  // namespace quillmark
