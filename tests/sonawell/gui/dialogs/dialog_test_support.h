#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <ostream>

// Readable failure messages: GoogleTest finds this next to QString.
void PrintTo(const QString& text, std::ostream* os);

namespace dialogtest {

// What a message box showed while `action` ran; the box is closed with OK.
struct ShownMessage {
    bool shown = false;
    QString title;
    QString text;
    bool warningIcon = false;
};
ShownMessage AnswerMessageBox(const std::function<void()>& action);

// A settings file in a temporary folder of its own, with appSettings pointed at it and
// loaded.
class TempSettings {
public:
    TempSettings();
    QString iniPath() const;
    QString folder() const { return dir_.path(); }
    QByteArray bytes() const;

private:
    QTemporaryDir dir_;
};

// The keys of the settings file as "Section/Key", in the order they appear.
QStringList KeysInOrder(const QString& iniPath);

}  // namespace dialogtest
