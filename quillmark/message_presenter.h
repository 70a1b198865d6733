#pragma once

#include <string_view>

namespace quillmark {

// The one message the extension shows, through whatever toolkit its host runs.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // A message with the buttons Retry and Cancel; the answer is not used.
    virtual void ShowRetryCancel(std::string_view text) = 0;
};

}  // namespace quillmark
