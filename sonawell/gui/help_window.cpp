#include "gui/help_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QToolButton* navigationButton(const QString& text, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    return button;
}

}  // namespace

HelpWindow::HelpWindow(const QString& helpFolder, QWidget* owner)
    : QMainWindow(owner, Qt::Window), helpFolder_(helpFolder) {
    setObjectName(QStringLiteral("sonawellHelpWindow"));
    setWindowTitle(tr("Sonawell Help"));

    browser_ = new QTextBrowser(this);
    browser_->setAccessibleName(tr("Help page"));
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({helpFolder_});
    // The pages' shared look, applied to every page shown.
    QFile style(QDir(helpFolder_).filePath(QStringLiteral("style.css")));
    if (style.open(QIODevice::ReadOnly)) {
        browser_->document()->setDefaultStyleSheet(QString::fromUtf8(style.readAll()));
    }

    auto* back = navigationButton(tr("Back"), this);
    auto* forward = navigationButton(tr("Forward"), this);
    auto* contents = navigationButton(tr("Contents"), this);
    auto* index = navigationButton(tr("Index"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
    connect(contents, &QToolButton::clicked, this,
            [this] { showPage(QStringLiteral("contents.html")); });
    connect(index, &QToolButton::clicked, this,
            [this] { showPage(QStringLiteral("keyword-index.html")); });
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? tr("Sonawell Help") : tr("Sonawell Help - ") + title);
    });

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(6, 4, 6, 4);
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addSpacing(12);
    bar->addWidget(contents);
    bar->addWidget(index);
    bar->addStretch();
    auto* client = new QWidget(this);
    setCentralWidget(client);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(browser_);
    resize(720, 560);
}

bool HelpWindow::showPage(const QString& fileName) {
    const QString path = QDir(helpFolder_).filePath(fileName);
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    browser_->setSource(QUrl::fromLocalFile(path));
    return true;
}
