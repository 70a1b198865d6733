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
