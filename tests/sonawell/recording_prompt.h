#pragma once

#include "core/engine/user_prompt.h"

#include <QString>
#include <QStringList>

#include <deque>

// The engine's and the window's questions answered without a box: from `answers` in turn, then
// with `answer`; every text shown or asked is kept.
class RecordingPrompt : public UserPrompt {
public:
    explicit RecordingPrompt(bool defaultAnswer = true) : answer(defaultAnswer) {}

    void showMessage(const QString& text) override { messages << text; }
    bool askYesNo(const QString& text) override {
        questions << text;
        if (answers.empty()) {
            return answer;
        }
        const bool next = answers.front();
        answers.pop_front();
        return next;
    }

    // From `batchAnswers` in turn, then Yes or No as askYesNo answers.
    Answer askYesNoToAll(const QString& text) override {
        if (batchAnswers.empty()) {
            return askYesNo(text) ? Answer::Yes : Answer::No;
        }
        questions << text;
        const Answer next = batchAnswers.front();
        batchAnswers.pop_front();
        return next;
    }

    std::deque<bool> answers;
    std::deque<Answer> batchAnswers;
    bool answer;
    QStringList messages;
    QStringList questions;
};
