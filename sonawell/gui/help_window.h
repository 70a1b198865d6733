#pragma once

#include <QMainWindow>

class QTextBrowser;
class QToolButton;

// The one help window of a main window: an HTML browser with Back, Forward, Contents and
// Index. It belongs to the main window and is reused by every help command. A main window of
// its own, so assistive technology sees a window rather than a bare panel.
class HelpWindow : public QMainWindow {
    Q_OBJECT
public:
    HelpWindow(const QString& helpFolder, QWidget* owner);

    // Shows a page of the help folder ("contents.html"); false when the file is missing.
    bool showPage(const QString& fileName);

    QTextBrowser* browser() const { return browser_; }

private:
    QString helpFolder_;
    QTextBrowser* browser_ = nullptr;
};
