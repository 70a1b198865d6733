#pragma once

#include <QString>

// What the engine must ask of the user. The main window answers with message boxes titled
// "Sonawell"; tests answer it themselves.
class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    // A message with the exclamation icon and an OK button.
    virtual void showMessage(const QString& text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    enum class Answer { Yes, YesToAll, No, NoToAll };
    // A question with Yes, Yes to All, No and No to All, for one job of a batch. A prompt
    // without the "to all" answers asks Yes or No.
    virtual Answer askYesNoToAll(const QString& text) {
        return askYesNo(text) ? Answer::Yes : Answer::No;
    }
};
