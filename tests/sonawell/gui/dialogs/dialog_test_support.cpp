#include "dialog_test_support.h"

#include "core/settings/app_settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace dialogtest {

ShownMessage AnswerMessageBox(const std::function<void()>& action) {
    ShownMessage seen;
    // A timer of this scope: if no box opens, it dies with the scope instead of closing some
    // later test's box.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        poll.stop();
        seen.shown = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.warningIcon = box->icon() == QMessageBox::Warning;
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
            ok->click();
        } else {
            box->reject();
        }
    });
    poll.start();
    action();
    return seen;
}

TempSettings::TempSettings() {
    appSettings = AppSettingsRecord{};
    appSettings.iniPath = iniPath();
    loadSettings();
}

QString TempSettings::iniPath() const {
    return dir_.filePath(QStringLiteral("Sonawell.ini"));
}

QByteArray TempSettings::bytes() const {
    QFile file(iniPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList KeysInOrder(const QString& iniPath) {
    QFile file(iniPath);
    QStringList keys;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return keys;
    }
    QString section;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            section = line.mid(1, line.size() - 2);
        } else if (line.contains(QLatin1Char('='))) {
            keys << section + QLatin1Char('/') + line.section(QLatin1Char('='), 0, 0).trimmed();
        }
    }
    return keys;
}

}  // namespace dialogtest
