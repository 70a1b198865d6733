#pragma once

#include "engine/user_prompt.h"

#include <QString>
#include <QStringList>

// Answers every question with a set answer and keeps every text it was shown.
class RecordingPrompt : public UserPrompt {
public:
    void showMessage(const QString& text) override { messages << text; }
    bool askYesNo(const QString& text) override {
        questions << text;
        return answer;
    }

    bool answer = false;
    QStringList messages;
    QStringList questions;
};
