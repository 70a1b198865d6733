#pragma once

#include <functional>
#include <string>

namespace quillmark {

// Every message the extension shows carries this title.
inline constexpr char kMessageTitle[] = "Sonawell";

// The extension's messages, through whatever toolkit its host runs.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // `text` is a headline, an empty line and the details. The message offers Retry and
    // Cancel; Retry runs `retry`, Cancel just closes it.
    virtual void ShowRetryCancel(const std::string& text, std::function<void()> retry) = 0;
};

}  // namespace quillmark
