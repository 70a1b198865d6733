#pragma once

#include "core/engine/user_prompt.h"

#include <QPointer>
#include <QWidget>

// Answers the engine's questions with message boxes titled "Sonawell", owned by a window.
class MessageBoxPrompt : public UserPrompt {
public:
    explicit MessageBoxPrompt(QWidget* owner = nullptr) : owner_(owner) {}
    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text) override;
    Answer askYesNoToAll(const QString& text) override;

private:
    QPointer<QWidget> owner_;
};
