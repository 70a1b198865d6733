#pragma once

#include "quillmark/message_presenter.h"

#include <functional>
#include <string>
#include <vector>

namespace quillmarktest {

// What the handler's messages would have shown, and what their Retry would do. The test keeps
// it, not the presenter: a Retry holds on to its presenter, so a presenter that kept its
// Retries would never be freed.
struct RecordedMessages {
    std::vector<std::string> shown;
    std::vector<std::function<void()>> retries;
};

// Answers the handler's messages in tests by recording them in `kept`.
class RecordingPresenter final : public quillmark::MessagePresenter {
public:
    explicit RecordingPresenter(RecordedMessages& kept)
        : shown(kept.shown), retries(kept.retries) {}
    void ShowRetryCancel(const std::string& text, std::function<void()> retry) override {
        shown.push_back(text);
        retries.push_back(std::move(retry));
    }
    std::vector<std::string>& shown;
    std::vector<std::function<void()>>& retries;
};

}  // namespace quillmarktest
