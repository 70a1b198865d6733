#pragma once

#include "quillmark/message_presenter.h"

#include <functional>
#include <string>
#include <vector>

namespace quillmarktest {

// Answers the handler's messages in tests: keeps what would have been shown, and what Retry
// would do.
class RecordingPresenter final : public quillmark::MessagePresenter {
public:
    void ShowRetryCancel(const std::string& text, std::function<void()> retry) override {
        shown.push_back(text);
        retries.push_back(std::move(retry));
    }
    std::vector<std::string> shown;
    std::vector<std::function<void()>> retries;
};

}  // namespace quillmarktest
