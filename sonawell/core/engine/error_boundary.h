#pragma once

#include "core/engine/user_prompt.h"
#include "encoder/error.h"

#include <QCoreApplication>
#include <QString>

#include <exception>
#include <utility>

// Every event handler runs its work through this: the program's own errors are shown to the
// user; anything else is unexpected, shown too, and ends the program.
template <class Work>
bool runGuarded(UserPrompt& prompt, Work&& work) {
    try {
        std::forward<Work>(work)();
        return true;
    } catch (const sw::Error& error) {
        prompt.showMessage(error.text());
    } catch (const std::exception& error) {
        prompt.showMessage(QString::fromLocal8Bit(error.what()));
        QCoreApplication::exit(1);
    }
    return false;
}
