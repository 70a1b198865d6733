#pragma once

#include "core/engine/user_prompt.h"

#include <cstdio>
#include <memory>

// The engine's questions asked on the controlling terminal (/dev/tty), so they work while
// standard input carries names. Without a terminal every question is answered No.
class TerminalPrompt : public UserPrompt {
public:
    TerminalPrompt();
    bool available() const { return tty_ != nullptr; }

    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text) override;
    Answer askYesNoToAll(const QString& text) override;

private:
    QByteArray askLine(const QString& question);

    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> tty_;
};
