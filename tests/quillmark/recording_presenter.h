#pragma once

#include "quillmark/message_presenter.h"

#include <string>
#include <vector>

namespace quillmarktest {

// Answers the handler's message in tests: keeps what would have been shown.
class RecordingPresenter final : public quillmark::MessagePresenter {
public:
    void ShowRetryCancel(std::string_view text) override { shown.emplace_back(text); }
    std::vector<std::string> shown;
};

}  // namespace quillmarktest
