#include "cli/terminal_prompt.h"

#include <QByteArray>
#include <QCoreApplication>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("CommandLine", text);
}

}  // namespace

TerminalPrompt::TerminalPrompt() : tty_(std::fopen("/dev/tty", "r+e")) {}

void TerminalPrompt::showMessage(const QString& text) {
    if (tty_) {
        std::fputs((text.toLocal8Bit() + '\n').constData(), tty_.get());
        std::fflush(tty_.get());
    }
}

QByteArray TerminalPrompt::askLine(const QString& question) {
    if (!tty_) {
        return {};
    }
    std::fputs((question + QLatin1Char(' ')).toLocal8Bit().constData(), tty_.get());
    std::fflush(tty_.get());
    char line[64] = {};
    if (std::fgets(line, sizeof line, tty_.get()) == nullptr) {
        return {};
    }
    return QByteArray(line).trimmed();
}

bool TerminalPrompt::askYesNo(const QString& text) {
    return askLine(text + QLatin1Char(' ') + tr("[y/n]")).toLower().startsWith('y');
}

UserPrompt::Answer TerminalPrompt::askYesNoToAll(const QString& text) {
    // y yes, n no, A yes to all, N no to all: the capital letter answers for the rest.
    const QByteArray answer = askLine(text + QLatin1Char(' ') + tr("[y/n/A(ll)/N(one)]"));
    if (answer.startsWith('A')) {
        return Answer::YesToAll;
    }
    if (answer.startsWith('N')) {
        return Answer::NoToAll;
    }
    return answer.toLower().startsWith('y') || answer == "a" ? Answer::Yes : Answer::No;
}
