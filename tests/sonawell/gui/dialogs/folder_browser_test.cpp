#include "gui/dialogs/folder_browser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs chooseFolder and answers the folder dialog it opens: `answer` gets the dialog and
// either accepts or rejects it.
QString Browse(const QString& start, const std::function<void(QFileDialog*)>& answer,
               QString* openedAt = nullptr, QString* title = nullptr) {
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        poll.stop();
        if (openedAt != nullptr) {
            *openedAt = dialog->directory().absolutePath();
        }
        if (title != nullptr) {
            *title = dialog->windowTitle();
        }
        answer(dialog);
    });
    poll.start();
    return chooseFolder(nullptr, start, QStringLiteral("Pick a folder"));
}

TEST(FolderBrowser, OpensAtTheStartFolderAndReturnsTheChoice) {
    QTemporaryDir dir;
    const QString music = dir.filePath(QStringLiteral("Music"));
    ASSERT_TRUE(QDir().mkpath(music));
    QString openedAt, title;
    const QString chosen = Browse(
        music, [](QFileDialog* dialog) { static_cast<QDialog*>(dialog)->accept(); }, &openedAt,
        &title);
    EXPECT_EQ(openedAt, music);
    EXPECT_EQ(title, QStringLiteral("Pick a folder"));
    EXPECT_EQ(chosen, music);
}

TEST(FolderBrowser, EmptyStartOpensAtHomeAndCancelGivesEmptyText) {
    QString openedAt;
    const QString chosen = Browse(
        QString(), [](QFileDialog* dialog) { dialog->reject(); }, &openedAt);
    EXPECT_EQ(openedAt, QDir::homePath());
    EXPECT_TRUE(chosen.isEmpty());
}

TEST(FolderBrowser, TheRootComesBackAsSlash) {
    const QString chosen = Browse(QStringLiteral("/"), [](QFileDialog* dialog) {
        dialog->selectFile(QStringLiteral("/"));
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(chosen, QStringLiteral("/"));
}

}  // namespace
