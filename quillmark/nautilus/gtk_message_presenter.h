#pragma once

#include "quillmark/message_presenter.h"

#include <gtk/gtk.h>

namespace quillmark {

// The window of this process's application that the user works in now: the file-manager
// window whose menu item was just picked. Null outside a GTK application.
GtkWindow* ActiveWindow();

// The messages as GTK 4 dialogs inside GNOME Files, attached to the window that activated
// the item for as long as that window exists.
class GtkMessagePresenter final : public MessagePresenter {
public:
    GtkMessagePresenter();
    ~GtkMessagePresenter() override;
    GtkMessagePresenter(const GtkMessagePresenter&) = delete;
    GtkMessagePresenter& operator=(const GtkMessagePresenter&) = delete;

    void attachTo(GtkWindow* window);
    void ShowRetryCancel(const std::string& text, std::function<void()> retry) override;

private:
    GWeakRef window_;
};

}  // namespace quillmark
