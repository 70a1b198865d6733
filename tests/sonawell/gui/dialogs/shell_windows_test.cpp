#include "dialog_test_support.h"

#include "core/settings/app_settings.h"
#include "gui/about_dialog.h"
#include "gui/help.h"
#include "gui/help_window.h"
#include "gui/splash_screen.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QTextBrowser>
#include <QTranslator>
#include <QUrl>

#include <gtest/gtest.h>

using dialogtest::AnswerMessageBox;

namespace {

TEST(Splash, IsAFramelessPictureWindowCentredInWidthAboveTheMiddle) {
    SplashScreen splash;
    EXPECT_EQ(splash.size(), QSize(246, 160));
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(splash.windowType(), Qt::SplashScreen);
    ASSERT_NE(splash.image, nullptr);
    EXPECT_EQ(splash.image->size(), QSize(250, 160));

    // A real picture, not an empty label.
    const QImage picture = splash.image->pixmap().toImage();
    ASSERT_FALSE(picture.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 4) {
        for (int x = 0; x < picture.width(); x += 4) {
            colours.insert(picture.pixel(x, y));
        }
    }
    EXPECT_GT(colours.size(), 20);

    splash.show();
    splash.repaint();
    const QRect screen = splash.screen()->geometry();
    EXPECT_NEAR(splash.frameGeometry().center().x(), screen.center().x(), 1);
    EXPECT_LT(splash.frameGeometry().center().y(), screen.center().y());
    splash.close();
    EXPECT_FALSE(splash.isVisible());
}

TEST(AboutBox, CreditsTheLibrariesAndIsCentredOnItsOwnerEachTime) {
    QWidget owner;
    owner.setGeometry(100, 80, 800, 600);
    owner.show();
    for (const QPoint& at : {QPoint(100, 80), QPoint(400, 240)}) {
        owner.move(at);
        AboutDialog about(&owner);
        about.show();
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About Sonawell"));
        EXPECT_EQ(about.size(), QSize(337, 191));
        EXPECT_EQ(about.minimumSize(), about.maximumSize());
        EXPECT_FALSE(about.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(about.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_NEAR(about.frameGeometry().center().x(), owner.frameGeometry().center().x(), 1);
        EXPECT_NEAR(about.frameGeometry().center().y(), owner.frameGeometry().center().y(), 1);
        about.close();
    }

    AboutDialog about(&owner);
    EXPECT_EQ(about.titleLabel->text(), QStringLiteral("Sonawell Convertor"));
    EXPECT_EQ(about.versionLabel->text(), QStringLiteral("Version 1.21"));
    {
        // The version goes into the translated sentence as an argument: a translation of the
        // sentence carries the build's version, whatever version it was written for.
        class VersionTranslator : public QTranslator {
        public:
            bool isEmpty() const override { return false; }
            QString translate(const char*, const char* source, const char*, int) const override {
                return qstrcmp(source, "Version %1") == 0 ? QStringLiteral("Fassung %1")
                                                          : QString();
            }
        } translator;
        QCoreApplication::installTranslator(&translator);
        const AboutDialog translated(&owner);
        QCoreApplication::removeTranslator(&translator);
        EXPECT_EQ(translated.versionLabel->text(), QStringLiteral("Fassung 1.21"));
    }
    EXPECT_EQ(about.picture->size(), QSize(71, 64));
    EXPECT_FALSE(about.picture->pixmap().isNull());
    EXPECT_EQ(about.separator->width(), about.width());
    const QString credits =
        about.codingCredit->text() + about.tagCredit->text() + about.toolkitCredit->text();
    for (const char* library : {"FFmpeg", "TagLib", "Qt", "LGPL"}) {
        EXPECT_TRUE(credits.contains(QString::fromLatin1(library))) << library;
    }
    EXPECT_FALSE(credits.contains(QStringLiteral("Microsoft")));
    // Every line fits the box, and OK sits at the bottom right.
    for (const QLabel* line : {about.titleLabel, about.versionLabel, about.codingCredit,
                               about.tagCredit, about.toolkitCredit}) {
        EXPECT_LE(line->sizeHint().width(), line->width()) << line->text().toStdString();
        EXPECT_LE(line->geometry().right(), about.width());
    }
    EXPECT_EQ(about.cmdOK->text(), QStringLiteral("OK"));
    EXPECT_GT(about.cmdOK->geometry().left(), about.width() / 2);
    EXPECT_GT(about.cmdOK->geometry().top(), about.toolkitCredit->geometry().bottom());
    about.show();
    about.cmdOK->click();
    EXPECT_FALSE(about.isVisible());
}

struct HelpFixture : ::testing::Test {
    void SetUp() override { previous = ::programFolder(); }
    void TearDown() override { setProgramFolder(previous); }
    QString previous;
    QTemporaryDir programFolder;
};

TEST_F(HelpFixture, AMissingHelpFileIsReportedNotShown) {
    setProgramFolder(programFolder.path());
    QWidget mainWindow;
    mainWindow.show();
    for (const auto& open : {&showHelpContents, &showHelpIndex}) {
        const auto message = AnswerMessageBox([&] { open(&mainWindow); });
        EXPECT_TRUE(message.shown);
        EXPECT_EQ(message.title, QStringLiteral("Sonawell"));
        EXPECT_TRUE(message.warningIcon);
        EXPECT_TRUE(message.text.contains(programFolder.filePath(QStringLiteral("help"))))
            << message.text.toStdString();
    }
    const auto* window = mainWindow.findChild<HelpWindow*>();
    EXPECT_TRUE(window == nullptr || !window->isVisible());
}

TEST_F(HelpFixture, ContentsAndIndexOpenInOneWindowOwnedByTheMainWindow) {
    const QDir source(qEnvironmentVariable("SONAWELL_SOURCE_DIR") + QStringLiteral("/help"));
    ASSERT_TRUE(source.exists()) << source.path().toStdString();
    ASSERT_TRUE(QDir(programFolder.path()).mkdir(QStringLiteral("help")));
    for (const QString& name : source.entryList(QDir::Files)) {
        ASSERT_TRUE(QFile::copy(source.filePath(name),
                                programFolder.filePath(QStringLiteral("help/") + name)));
    }
    setProgramFolder(programFolder.path());
    QWidget mainWindow;
    mainWindow.show();
    QLabel childOfMainWindow(&mainWindow);

    showHelpContents(&childOfMainWindow);
    const auto windows = [&] { return mainWindow.findChildren<HelpWindow*>(); };
    ASSERT_EQ(windows().size(), 1);
    HelpWindow* help = windows().first();
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->isWindow());
    EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Contents"));
    EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("Quick convert")));

    showHelpIndex(&mainWindow);
    ASSERT_EQ(windows().size(), 1);
    EXPECT_EQ(windows().first(), help);
    EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Index"));
    EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("WMA to WAV")));
}

TEST_F(HelpFixture, TheBuiltProgramFolderShipsTheHelp) {
    const QString bin = qEnvironmentVariable("SONAWELL_BIN_DIR");
    ASSERT_FALSE(bin.isEmpty());
    setProgramFolder(bin);
    QWidget mainWindow;
    mainWindow.show();
    const auto message = AnswerMessageBox([&] {
        showHelpIndex(&mainWindow);
        showHelpContents(&mainWindow);
    });
    EXPECT_FALSE(message.shown) << message.text.toStdString();
    ASSERT_EQ(mainWindow.findChildren<HelpWindow*>().size(), 1);
    EXPECT_EQ(mainWindow.findChild<HelpWindow*>()->browser()->documentTitle(),
              QStringLiteral("Contents"));
}

// Every page the help links to exists, and every anchor named in a link is defined there.
TEST(HelpPages, LinksLeadToExistingPagesAndAnchors) {
    const QDir help(qEnvironmentVariable("SONAWELL_SOURCE_DIR") + QStringLiteral("/help"));
    const QStringList pages = help.entryList({QStringLiteral("*.html")}, QDir::Files);
    ASSERT_GE(pages.size(), 8);
    const QRegularExpression link(QStringLiteral("href=\"([^\"#]*)(?:#([^\"]*))?\""));
    for (const QString& page : pages) {
        QFile file(help.filePath(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(text.contains(QStringLiteral("<title>"))) << page.toStdString();
        for (auto it = link.globalMatch(text); it.hasNext();) {
            const auto match = it.next();
            const QString target = match.captured(1).isEmpty() ? page : match.captured(1);
            if (target.startsWith(QStringLiteral("http"))) {
                continue;
            }
            QFile linked(help.filePath(target));
            ASSERT_TRUE(linked.open(QIODevice::ReadOnly))
                << page.toStdString() << " -> " << target.toStdString();
            const QString anchor = match.captured(2);
            if (!anchor.isEmpty()) {
                EXPECT_TRUE(QString::fromUtf8(linked.readAll())
                                .contains(QStringLiteral("name=\"%1\"").arg(anchor)))
                    << page.toStdString() << " -> " << target.toStdString() << "#"
                    << anchor.toStdString();
            }
        }
    }
}

}  // namespace
