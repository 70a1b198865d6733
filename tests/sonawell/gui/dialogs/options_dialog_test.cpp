#include "dialog_test_support.h"

#include "core/settings/app_settings.h"
#include "core/settings/ini_file.h"
#include "encoder/encoder.h"
#include "gui/dialogs/collection_options.h"
#include "gui/dialogs/options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>

using dialogtest::AnswerMessageBox;
using dialogtest::KeysInOrder;
using dialogtest::TempSettings;

namespace {

const QString kCd = QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)");
const QString kVoice = QStringLiteral("Audio for voice (32 Kbps, 22 kHz, mono)");
const QString kGeneral = QStringLiteral("General");
const QString kQuick = QStringLiteral("Quick Convert");

QString Read(const TempSettings& settings, const QString& section, const QString& key) {
    return readIniValue(settings.iniPath(), section, key);
}

struct OptionsFixture : ::testing::Test {
    void open() {
        dialog = std::make_unique<OptionsDialog>(profiles, &owner);
        owner.show();
        dialog->show();
    }

    TempSettings settings;
    const sw::enc::ProfileCollection profiles;
    QWidget owner;
    std::unique_ptr<OptionsDialog> dialog;
};

TEST_F(OptionsFixture, ShowsEveryControlLoadedFromTheSettings) {
    appSettings.generalProfile = kCd;
    appSettings.quickProfile = kVoice;
    appSettings.cpuPriority = 1;
    appSettings.deleteSource = true;
    appSettings.overwriteExist = false;
    appSettings.autoStart = true;
    appSettings.sameTargetDir = false;
    appSettings.targetDir = QStringLiteral("/music/out");
    open();

    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Sonawell Options"));
    ASSERT_EQ(dialog->tabStrip()->count(), 2);
    EXPECT_EQ(dialog->tabStrip()->tabText(0), QStringLiteral("General"));
    EXPECT_EQ(dialog->tabStrip()->tabText(1), QStringLiteral("Quick Convert"));
    EXPECT_EQ(dialog->tabStrip()->currentIndex(), 0);
    EXPECT_TRUE(dialog->tabPage(0)->isVisible());
    EXPECT_FALSE(dialog->tabPage(1)->isVisible());

    EXPECT_EQ(dialog->generalFormatLabel()->text(), QStringLiteral("Output Format"));
    EXPECT_EQ(dialog->deleteSourceBox()->text(),
              QStringLiteral("Delete source files after converting"));
    EXPECT_EQ(dialog->overwriteExistBox()->text(),
              QStringLiteral("Overwrite existing files without prompt"));
    EXPECT_EQ(dialog->autoStartBox()->text(),
              QStringLiteral("Automatically start the conversion after adding the job"));
    EXPECT_EQ(dialog->priorityFrame()->title(), QStringLiteral("CPU Priority"));
    EXPECT_EQ(dialog->priorityButton(0)->text(), QStringLiteral("Low priority"));
    EXPECT_EQ(dialog->priorityButton(1)->text(), QStringLiteral("Normal priority"));
    EXPECT_EQ(dialog->priorityButton(2)->text(), QStringLiteral("High priority"));
    EXPECT_LT(dialog->priorityButton(0)->x(), dialog->priorityButton(1)->x());
    EXPECT_LT(dialog->priorityButton(1)->x(), dialog->priorityButton(2)->x());
    EXPECT_EQ(dialog->sameDirectoryBox()->text(),
              QStringLiteral("Save the output to the same directory where the source file is"));
    EXPECT_EQ(dialog->quickFolderLabel()->text(), QStringLiteral("Target directory"));
    EXPECT_EQ(dialog->quickFormatLabel()->text(),
              QStringLiteral("Output format for quick converting :"));
    EXPECT_FALSE(dialog->quickFolderButton()->icon().isNull());
    EXPECT_EQ(dialog->okButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(dialog->cancelButton()->text(), QStringLiteral("Cancel"));

    for (QComboBox* combo : {dialog->generalFormatBox(), dialog->quickFormatBox()}) {
        QStringList names;
        for (int i = 0; i < combo->count(); ++i) {
            names << combo->itemText(i);
        }
        EXPECT_EQ(names, profiles.names());
    }
    EXPECT_EQ(dialog->generalFormatBox()->currentText(), kCd);
    EXPECT_EQ(dialog->quickFormatBox()->currentText(), kVoice);
    EXPECT_TRUE(dialog->priorityButton(1)->isChecked());
    EXPECT_TRUE(dialog->deleteSourceBox()->isChecked());
    EXPECT_FALSE(dialog->overwriteExistBox()->isChecked());
    EXPECT_TRUE(dialog->autoStartBox()->isChecked());
    EXPECT_FALSE(dialog->sameDirectoryBox()->isChecked());
    EXPECT_EQ(dialog->quickFolderEdit()->text(), QStringLiteral("/music/out"));
    EXPECT_TRUE(dialog->quickFolderEdit()->isEnabled());

    EXPECT_NEAR(dialog->frameGeometry().center().x(), owner.frameGeometry().center().x(), 1);
    EXPECT_NEAR(dialog->frameGeometry().center().y(), owner.frameGeometry().center().y(), 1);
}

TEST_F(OptionsFixture, SameDirectoryBoxGreysTheFolderBoxAndButton) {
    appSettings.sameTargetDir = true;
    open();
    EXPECT_FALSE(dialog->quickFolderEdit()->isEnabled());
    EXPECT_FALSE(dialog->quickFolderButton()->isEnabled());
    const QColor greyed = dialog->quickFolderEdit()->palette().color(QPalette::Base);
    dialog->sameDirectoryBox()->click();
    EXPECT_TRUE(dialog->quickFolderEdit()->isEnabled());
    EXPECT_TRUE(dialog->quickFolderButton()->isEnabled());
    EXPECT_NE(dialog->quickFolderEdit()->palette().color(QPalette::Base), greyed);
    dialog->sameDirectoryBox()->click();
    EXPECT_FALSE(dialog->quickFolderEdit()->isEnabled());
    EXPECT_FALSE(dialog->quickFolderButton()->isEnabled());
}

TEST_F(OptionsFixture, InvalidFolderBlocksLeavingThePageAndOk) {
    appSettings.sameTargetDir = false;
    appSettings.targetDir = settings.folder() + QStringLiteral("/missing");
    open();
    // Shown at load, but only checked on the "Quick Convert" page.
    dialog->tabStrip()->setCurrentIndex(1);
    EXPECT_TRUE(dialog->tabPage(1)->isVisible());
    EXPECT_FALSE(dialog->tabPage(0)->isVisible());

    for (const QString& folder : {QString(), settings.folder() + QStringLiteral("/missing")}) {
        dialog->quickFolderEdit()->setText(folder);
        auto message = AnswerMessageBox([&] { dialog->tabStrip()->setCurrentIndex(0); });
        EXPECT_TRUE(message.shown);
        EXPECT_EQ(message.text, QStringLiteral("Invalid target directory"));
        EXPECT_EQ(message.title, QStringLiteral("Sonawell"));
        EXPECT_TRUE(message.warningIcon);
        EXPECT_EQ(dialog->tabStrip()->currentIndex(), 1);
        EXPECT_TRUE(dialog->tabPage(1)->isVisible());

        message = AnswerMessageBox([&] { dialog->okButton()->click(); });
        EXPECT_EQ(message.text, QStringLiteral("Invalid target directory"));
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(QFile::exists(settings.iniPath()));
    }

    // A relative folder would depend on where the program was started from.
    dialog->quickFolderEdit()->setText(QStringLiteral("Music"));
    for (const auto& act : std::initializer_list<std::function<void()>>{
             [&] { dialog->tabStrip()->setCurrentIndex(0); },
             [&] { dialog->okButton()->click(); }}) {
        const auto message = AnswerMessageBox(act);
        EXPECT_EQ(message.text, QStringLiteral("Choose an absolute folder"));
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->tabStrip()->currentIndex(), 1);
        EXPECT_FALSE(QFile::exists(settings.iniPath()));
    }

    // An existing folder with a trailing separator passes and is stored without it.
    dialog->quickFolderEdit()->setText(settings.folder() + QStringLiteral("/"));
    auto message = AnswerMessageBox([&] { dialog->tabStrip()->setCurrentIndex(0); });
    EXPECT_FALSE(message.shown);
    EXPECT_TRUE(dialog->tabPage(0)->isVisible());
    dialog->okButton()->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Read(settings, kQuick, QStringLiteral("TargetDir")), settings.folder());
    EXPECT_EQ(appSettings.targetDir, settings.folder());
}

TEST_F(OptionsFixture, OkWritesEveryKeyInOrderAndReloads) {
    appSettings.generalProfile = kCd;
    appSettings.quickProfile = QStringLiteral("A profile the encoder dropped");
    appSettings.sameTargetDir = true;
    appSettings.targetDir = QStringLiteral("/music/out/");
    open();
    dialog->priorityButton(2)->click();
    dialog->deleteSourceBox()->click();
    dialog->autoStartBox()->click();
    EXPECT_EQ(dialog->quickFormatBox()->currentIndex(), -1);
    dialog->okButton()->click();

    EXPECT_EQ(
        KeysInOrder(settings.iniPath()),
        (QStringList{
            QStringLiteral("General/Profile"), QStringLiteral("General/DeleteSource"),
            QStringLiteral("General/OverwriteExist"), QStringLiteral("General/AutoStart"),
            QStringLiteral("General/CPUPriority"), QStringLiteral("General/SkipConverted"),
            QStringLiteral("Quick Convert/Profile"), QStringLiteral("Quick Convert/SameTargetDir"),
            QStringLiteral("Quick Convert/TargetDir"), QStringLiteral("Quick Convert/WmaFormat"),
            QStringLiteral("Quick Convert/KeepFolders")}));
    EXPECT_EQ(Read(settings, kGeneral, QStringLiteral("Profile")), kCd);
    EXPECT_EQ(Read(settings, kGeneral, QStringLiteral("DeleteSource")), QStringLiteral("1"));
    EXPECT_EQ(Read(settings, kGeneral, QStringLiteral("OverwriteExist")), QStringLiteral("1"));
    EXPECT_EQ(Read(settings, kGeneral, QStringLiteral("AutoStart")), QStringLiteral("0"));
    EXPECT_EQ(Read(settings, kGeneral, QStringLiteral("CPUPriority")), QStringLiteral("2"));
    // The dropped profile is stored empty, so the next start asks for one again.
    EXPECT_EQ(Read(settings, kQuick, QStringLiteral("Profile")), QString());
    EXPECT_EQ(Read(settings, kQuick, QStringLiteral("SameTargetDir")), QStringLiteral("1"));
    // Not checked while the same-directory box is on, but stored all the same.
    EXPECT_EQ(Read(settings, kQuick, QStringLiteral("TargetDir")), QStringLiteral("/music/out"));

    EXPECT_EQ(appSettings.cpuPriority, 2);
    EXPECT_TRUE(appSettings.deleteSource);
    EXPECT_FALSE(appSettings.autoStart);
    EXPECT_TRUE(appSettings.quickProfile.isEmpty());
    EXPECT_EQ(appSettings.targetDir, QStringLiteral("/music/out"));
}

TEST_F(OptionsFixture, AFailedWriteNamesTheFileAndTheReasonAndTheDialogStaysOpen) {
    QFile blocker(settings.folder() + QStringLiteral("/blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString unwritable = settings.folder() + QStringLiteral("/blocker/Sonawell.ini");
    appSettings.iniPath = unwritable;
    open();
    dialog->autoStartBox()->click();
    const auto message = AnswerMessageBox([&] { dialog->okButton()->click(); });
    appSettings.iniPath = settings.iniPath();
    EXPECT_TRUE(message.shown);
    EXPECT_TRUE(message.warningIcon);
    EXPECT_TRUE(message.text.startsWith(
        QStringLiteral("The settings could not be saved to \"%1\": ").arg(unwritable)))
        << message.text.toStdString();
    EXPECT_GT(message.text.size(), unwritable.size() + 40) << "no reason given";
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(OptionsFixture, TheRootFolderStaysTheRoot) {
    appSettings.sameTargetDir = false;
    appSettings.targetDir = QStringLiteral("/");
    open();
    dialog->tabStrip()->setCurrentIndex(1);
    dialog->okButton()->click();
    EXPECT_EQ(Read(settings, kQuick, QStringLiteral("TargetDir")), QStringLiteral("/"));
}

TEST_F(OptionsFixture, CancelLeavesTheFileByteForByte) {
    QFile file(settings.iniPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "; kept as it is\r\n[General]\r\nProfile = Old \r\nCPUPriority=0\r\n\r\n"
        "[Quick Convert]\r\nTargetDir=/music/out\r\n");
    file.close();
    const QByteArray before = settings.bytes();
    loadSettings();
    open();
    dialog->priorityButton(2)->click();
    dialog->overwriteExistBox()->click();
    dialog->generalFormatBox()->setCurrentIndex(0);
    dialog->tabStrip()->setCurrentIndex(1);
    dialog->sameDirectoryBox()->click();
    dialog->quickFolderEdit()->setText(settings.folder());
    dialog->cancelButton()->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(settings.bytes(), before);
    EXPECT_EQ(appSettings.cpuPriority, 0);
    EXPECT_EQ(appSettings.targetDir, QStringLiteral("/music/out"));
}

TEST_F(OptionsFixture, FolderButtonAsksTheBrowserFromTheCurrentText) {
    appSettings.sameTargetDir = false;
    appSettings.targetDir = QStringLiteral("/music/in");
    open();
    QString askedStart, askedTitle;
    QString answer = QStringLiteral("/music/picked");
    dialog->browseForFolder = [&](QWidget* browseOwner, const QString& start,
                                  const QString& title) {
        EXPECT_EQ(browseOwner, dialog.get());
        askedStart = start;
        askedTitle = title;
        return answer;
    };
    dialog->quickFolderButton()->click();
    EXPECT_EQ(askedStart, QStringLiteral("/music/in"));
    EXPECT_EQ(askedTitle, QStringLiteral("Set the target folder for quick convert"));
    EXPECT_EQ(dialog->quickFolderEdit()->text(), QStringLiteral("/music/picked"));
    answer.clear();
    dialog->quickFolderButton()->click();
    EXPECT_EQ(askedStart, QStringLiteral("/music/picked"));
    EXPECT_EQ(dialog->quickFolderEdit()->text(), QStringLiteral("/music/picked"));
}

}  // namespace

namespace {

// The collection choices show what the settings hold and OK stores what the user picked.
TEST_F(OptionsFixture, TheCollectionChoicesAreShownAndStored) {
    appSettings.wmaToFlac = false;
    appSettings.keepFolders = true;
    appSettings.skipConverted = false;
    open();
    EXPECT_EQ(dialog->collectionOptions()->wmaFormatBox()->currentText(),
              QStringLiteral("WMA to WAV"));
    EXPECT_TRUE(dialog->collectionOptions()->keepFoldersBox()->isChecked());
    EXPECT_FALSE(dialog->collectionOptions()->skipConvertedBox()->isChecked());
    dialog->tabStrip()->setCurrentIndex(1);
    dialog->collectionOptions()->wmaFormatBox()->setCurrentIndex(1);
    dialog->collectionOptions()->keepFoldersBox()->click();
    dialog->collectionOptions()->skipConvertedBox()->click();
    dialog->okButton()->click();
    EXPECT_EQ(Read(settings, kQuick, QStringLiteral("WmaFormat")), QStringLiteral("FLAC"));
    EXPECT_EQ(Read(settings, kQuick, QStringLiteral("KeepFolders")), QStringLiteral("0"));
    EXPECT_EQ(Read(settings, QStringLiteral("General"), QStringLiteral("SkipConverted")),
              QStringLiteral("1"));
    EXPECT_TRUE(appSettings.wmaToFlac);
    EXPECT_FALSE(appSettings.keepFolders);
    EXPECT_TRUE(appSettings.skipConverted);
}

}  // namespace
