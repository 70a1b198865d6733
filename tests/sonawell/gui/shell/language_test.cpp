// The window speaks the user's language: LANG picks the catalogue. ctest runs this once with
// the machine's locale and once with LANG=de_DE.UTF-8.
#include "core/engine/decoder_reason.h"
#include "core/jobs/job.h"
#include "gui/help.h"
#include "gui/help_window.h"
#include "gui/translations.h"
#include "main_window_rig.h"

#include <QDialogButtonBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTranslator>

namespace shelltest {
namespace {

struct LanguageRow {
    QLocale::Language language;
    QStringList menus;  // our catalogue
    QString stopped;    // our catalogue, from the core library
    QString cancel;     // Qt's own catalogue
    QString damaged;    // the decoder library's words, given in ours
    QString format;     // a profile's name in the job list; its key stays English
    QString help;       // the contents page's title: the pages in the language
};

const LanguageRow kRows[] = {
    {QLocale::German,
     {QStringLiteral("&Datei"), QStringLiteral("E&xtras"), QStringLiteral("&Hilfe")},
     QStringLiteral("Angehalten (34%)"),
     QStringLiteral("Abbrechen"),
     QStringLiteral("Quelle beschädigt: 36 von 60 s"),
     QStringLiteral("Audio in CD-Qualität (128 Kbit/s, 44 kHz, stereo)"),
     QStringLiteral("Inhalt")},
    {QLocale::English,
     {QStringLiteral("&File"), QStringLiteral("&Tools"), QStringLiteral("&Help")},
     QStringLiteral("Stopped (34%)"),
     QStringLiteral("Cancel"),
     QStringLiteral("source damaged: 36 of 60 s"),
     kProfile,
     QStringLiteral("Contents")},
};

class Language : public MainWindowTest {
protected:
    void TearDown() override {
        qDeleteAll(qApp->findChildren<QTranslator*>());
        MainWindowTest::TearDown();
    }
};

}  // namespace

TEST_F(Language, WindowsMessagesAndHelpReadInTheUsersLanguage) {
    // The C locale (no LANG at all) is English.
    const QLocale::Language language =
        QLocale().language() == QLocale::C ? QLocale::English : QLocale().language();
    const auto row =
        std::find_if(std::begin(kRows), std::end(kRows),
                     [language](const LanguageRow& r) { return r.language == language; });
    if (row == std::end(kRows)) {
        GTEST_SKIP() << "no expectations for " << QLocale().name().toStdString();
    }
    installTranslations(*qApp);

    MainWindow& window = Open();
    QStringList menus;
    for (const QAction* menu : window.menuBar()->actions()) {
        menus.append(menu->text());
    }
    EXPECT_EQ(menus, row->menus);

    window.jobs().add(QStringLiteral("/music/a.mp3"), QStringLiteral("/music/a.wma"), kProfile);
    EXPECT_EQ(window.jobView()->model()->index(0, JobTableModel::kFormat).data().toString(),
              row->format);
    EXPECT_EQ(window.jobs().at(1).profile, kProfile);

    Job stopped;
    stopped.state = JobState::Stopped;
    stopped.progress = QStringLiteral("34%");
    EXPECT_EQ(statusText(stopped), row->stopped);

    const mellorin::DecodeOutcome damaged{
        mellorin::DecodeOutcome::Kind::CompletedDamaged, {}, 36, 60};
    EXPECT_EQ(conversionOutcome(damaged).text, row->damaged);

    showHelpContents(&window);
    const auto* help = window.findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->browser()->documentTitle(), row->help);

    const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), row->cancel);
}

}  // namespace shelltest
