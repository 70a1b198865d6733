#include "gui/message_box_prompt.h"

#include <QMessageBox>

void MessageBoxPrompt::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Sonawell"), text, QMessageBox::Ok,
                    owner_);
    box.exec();
}

bool MessageBoxPrompt::askYesNo(const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Sonawell"), text,
                    QMessageBox::Yes | QMessageBox::No, owner_);
    return box.exec() == QMessageBox::Yes;
}

UserPrompt::Answer MessageBoxPrompt::askYesNoToAll(const QString& text) {
    QMessageBox box(
        QMessageBox::Question, QStringLiteral("Sonawell"), text,
        QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll, owner_);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::YesToAll:
            return Answer::YesToAll;
        case QMessageBox::NoToAll:
            return Answer::NoToAll;
        default:
            // Closing the box keeps the file, as No does.
            return Answer::No;
    }
}
