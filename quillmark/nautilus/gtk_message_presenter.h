#pragma once

#include "quillmark/message_presenter.h"

namespace quillmark {

// The message as a GTK 4 dialog inside GNOME Files.
class GtkMessagePresenter final : public MessagePresenter {
public:
    void ShowRetryCancel(std::string_view text) override;
};

}  // namespace quillmark
