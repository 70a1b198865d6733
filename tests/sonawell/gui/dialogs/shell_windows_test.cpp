#include "dialog_test_support.h"

#include "core/engine/app_state.h"
#include "core/engine/pending_jobs.h"
#include "core/settings/app_settings.h"
#include "encoder/encoder.h"
#include "gui/about_dialog.h"
#include "gui/dialogs/add_job_dialog.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/dialogs/profile_dialog.h"
#include "gui/help.h"
#include "gui/help_window.h"
#include "gui/main_window.h"
#include "gui/splash_screen.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTranslator>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using dialogtest::AnswerMessageBox;

namespace {

TEST(Splash, IsAFramelessPictureWindowCentredInWidthAboveTheMiddle) {
    SplashScreen splash;
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(splash.windowType(), Qt::SplashScreen);
    ASSERT_NE(splash.image(), nullptr);
    // The window is the picture.
    EXPECT_EQ(splash.image()->size(), QSize(250, 160));
    EXPECT_EQ(splash.size(), splash.image()->size());

    // A real picture, not an empty label.
    const QImage picture = splash.image()->pixmap().toImage();
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
        // As large as its content, and not resizable.
        EXPECT_EQ(about.size(), about.sizeHint());
        EXPECT_EQ(about.minimumSize(), about.maximumSize());
        EXPECT_FALSE(about.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(about.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_NEAR(about.frameGeometry().center().x(), owner.frameGeometry().center().x(), 1);
        EXPECT_NEAR(about.frameGeometry().center().y(), owner.frameGeometry().center().y(), 1);
        about.close();
    }

    AboutDialog about(&owner);
    EXPECT_EQ(about.titleLabel()->text(), QStringLiteral("Sonawell Convertor"));
    EXPECT_EQ(about.versionLabel()->text(), QStringLiteral("Version 1.21"));
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
        EXPECT_EQ(translated.versionLabel()->text(), QStringLiteral("Fassung 1.21"));
    }
    EXPECT_EQ(about.picture()->size(), QSize(71, 64));
    EXPECT_FALSE(about.picture()->pixmap().isNull());
    EXPECT_EQ(about.separator()->width(), about.width());
    const QString credits =
        about.codingCredit()->text() + about.tagCredit()->text() + about.toolkitCredit()->text();
    for (const char* library : {"FFmpeg", "TagLib", "Qt", "LGPL"}) {
        EXPECT_TRUE(credits.contains(QString::fromLatin1(library))) << library;
    }
    EXPECT_FALSE(credits.contains(QStringLiteral("Microsoft")));
    // Every line fits the box, and OK sits at the bottom right.
    about.show();
    for (const QLabel* line : {about.titleLabel(), about.versionLabel(), about.codingCredit(),
                               about.tagCredit(), about.toolkitCredit()}) {
        EXPECT_LE(line->sizeHint().width(), line->width()) << line->text().toStdString();
        EXPECT_LE(line->geometry().right(), about.width());
    }
    EXPECT_EQ(about.okButton()->text(), QStringLiteral("OK"));
    const QRect ok(about.okButton()->mapTo(&about, QPoint(0, 0)), about.okButton()->size());
    EXPECT_GT(ok.left(), about.width() / 2);
    EXPECT_GT(ok.top(), about.toolkitCredit()->mapTo(&about, QPoint(0, 0)).y() +
                            about.toolkitCredit()->height());
    about.show();
    about.okButton()->click();
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

// --- Every window laid out for its font and scale ----------------------------------------------

// Controls whose text would be cut: a widget narrower or lower than it asks to be at least.
QStringList Clipped(QWidget& window) {
    QStringList clipped;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible() ||
            !(qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
              qobject_cast<QComboBox*>(widget) || qobject_cast<QLineEdit*>(widget))) {
            continue;
        }
        QSize wanted = widget->minimumSizeHint();
        if (const auto* label = qobject_cast<QLabel*>(widget); label && !label->wordWrap()) {
            wanted = label->sizeHint();
        }
        if (widget->hasHeightForWidth()) {
            wanted.setHeight(widget->heightForWidth(widget->width()));
        }
        if (wanted.width() > widget->width() || wanted.height() > widget->height()) {
            clipped << QStringLiteral("%1 \"%2\": %3x%4 in %5x%6")
                           .arg(QLatin1String(widget->metaObject()->className()),
                                widget->objectName())
                           .arg(wanted.width())
                           .arg(wanted.height())
                           .arg(widget->width())
                           .arg(widget->height());
        }
    }
    return clipped;
}

struct LayoutCase {
    const char* window;
    std::function<std::unique_ptr<QWidget>()> make;
};

// Run once as it is and once more by ctest at QT_SCALE_FACTOR=2; each at the desktop's font
// and at 16 points.
TEST(LayoutFits, NoWindowCutsAControl) {
    static const sw::enc::ProfileCollection profiles;
    static sw::enc::Encoder encoder;
    static PendingJobs pending;
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    const std::vector<LayoutCase> cases = {
        {"Main window",
         [] {
             auto window = std::make_unique<MainWindow>(encoder, pending);
             window->jobs().add(QStringLiteral("/music/a.mp3"), QStringLiteral("/music/a.wma"),
                                profiles.names().first());
             return window;
         }},
        {"About", [] { return std::make_unique<AboutDialog>(nullptr); }},
        {"Splash", [] { return std::make_unique<SplashScreen>(); }},
        {"Profile", [] { return std::make_unique<ProfileDialog>(profiles); }},
        {"Options", [] { return std::make_unique<OptionsDialog>(profiles, nullptr); }},
        {"Add Job", [] { return std::make_unique<AddJobDialog>(profiles, nullptr); }},
    };
    const QFont desktop = QApplication::font();
    QFont large = desktop;
    large.setPointSize(16);
    for (const QFont& font : {desktop, large}) {
        QApplication::setFont(font);
        for (const LayoutCase& c : cases) {
            SCOPED_TRACE(QStringLiteral("%1 at %2 pt")
                             .arg(QLatin1String(c.window))
                             .arg(font.pointSize())
                             .toStdString());
            const std::unique_ptr<QWidget> window = c.make();
            window->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
            EXPECT_EQ(Clipped(*window), QStringList())
                << Clipped(*window).join(u'\n').toStdString();
            if (auto* options = qobject_cast<OptionsDialog*>(window.get())) {
                options->tabStrip()->setCurrentIndex(1);
                EXPECT_EQ(Clipped(*window), QStringList()) << "Quick Convert page";
            }
        }
    }
    QApplication::setFont(desktop);
    mainWindowReady = false;
}

}  // namespace
