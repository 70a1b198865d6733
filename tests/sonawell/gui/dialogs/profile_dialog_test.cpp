#include "dialog_test_support.h"

#include "core/settings/app_settings.h"
#include "core/settings/ini_file.h"
#include "encoder/encoder.h"
#include "gui/dialogs/profile_dialog.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using dialogtest::AnswerMessageBox;
using dialogtest::TempSettings;

namespace {

const QString kGeneral = QStringLiteral("General");
const QString kQuick = QStringLiteral("Quick Convert");
const QString kProfile = QStringLiteral("Profile");

TEST(ProfilesDialog, OffersTheAudioProfilesWithoutPreselection) {
    TempSettings settings;
    writeIniValue(settings.iniPath(), kGeneral, kProfile,
                  QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)"));
    loadSettings();
    const sw::enc::ProfileCollection profiles;
    ProfileDialog dialog(profiles);

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Set your default profile"));
    EXPECT_EQ(dialog.promptLabel()->text(),
              QStringLiteral("Please set the default profile you want to "
                             "use when you convert your audio files"));
    QStringList offered;
    for (int i = 0; i < dialog.profileBox()->count(); ++i) {
        offered << dialog.profileBox()->itemText(i);
    }
    EXPECT_EQ(offered, profiles.names());
    EXPECT_EQ(offered.size(), 6);
    EXPECT_EQ(dialog.profileBox()->currentIndex(), -1);
    EXPECT_FALSE(dialog.okPressed);
}

TEST(ProfilesDialog, OkWithoutChoiceOrWithAnUnwritableFileWarnsAndStaysOpen) {
    TempSettings settings;
    const sw::enc::ProfileCollection profiles;
    ProfileDialog dialog(profiles);
    dialog.show();

    const auto message = AnswerMessageBox([&] { dialog.okButton()->click(); });
    EXPECT_TRUE(message.shown);
    EXPECT_EQ(message.text, QStringLiteral("You must select a profile"));
    EXPECT_EQ(message.title, QStringLiteral("Sonawell"));
    EXPECT_TRUE(message.warningIcon);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.okPressed);
    EXPECT_FALSE(QFile::exists(settings.iniPath()));

    // A choice that can't be stored: the user is told where and why, and may choose again.
    QFile blocker(settings.folder() + QStringLiteral("/blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    appSettings.iniPath = settings.folder() + QStringLiteral("/blocker/Sonawell.ini");
    dialog.profileBox()->setCurrentIndex(1);
    const auto failed = AnswerMessageBox([&] { dialog.okButton()->click(); });
    EXPECT_TRUE(failed.warningIcon);
    EXPECT_TRUE(failed.text.contains(appSettings.iniPath)) << failed.text.toStdString();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.okPressed);
    appSettings.iniPath = settings.iniPath();
}

TEST(ProfilesDialog, OkWritesTheSameProfileUnderBothSectionsAndReloads) {
    TempSettings settings;
    // Only the quick-convert profile is missing: the choice replaces the general one too.
    writeIniValue(settings.iniPath(), kGeneral, kProfile, QStringLiteral("Old profile"));
    loadSettings();
    const sw::enc::ProfileCollection profiles;
    ProfileDialog dialog(profiles);
    dialog.show();
    dialog.profileBox()->setCurrentIndex(2);
    const QString chosen = dialog.profileBox()->currentText();

    const auto message = AnswerMessageBox([&] { dialog.okButton()->click(); });
    EXPECT_FALSE(message.shown);
    EXPECT_TRUE(dialog.okPressed);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(readIniValue(settings.iniPath(), kGeneral, kProfile), chosen);
    EXPECT_EQ(readIniValue(settings.iniPath(), kQuick, kProfile), chosen);
    EXPECT_EQ(appSettings.generalProfile, chosen);
    EXPECT_EQ(appSettings.quickProfile, chosen);
}

TEST(ProfilesDialog, CancelOrClosingLeavesTheFileUntouched) {
    const sw::enc::ProfileCollection profiles;
    {
        TempSettings settings;
        ProfileDialog dialog(profiles);
        dialog.show();
        dialog.profileBox()->setCurrentIndex(0);
        dialog.cancelButton()->click();
        EXPECT_FALSE(dialog.okPressed);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(QFile::exists(settings.iniPath()));
    }
    {
        TempSettings settings;
        writeIniValue(settings.iniPath(), kGeneral, kProfile, QStringLiteral("Kept"));
        const QByteArray before = settings.bytes();
        ProfileDialog dialog(profiles);
        dialog.show();
        dialog.profileBox()->setCurrentIndex(1);
        dialog.close();
        EXPECT_FALSE(dialog.okPressed);
        EXPECT_EQ(settings.bytes(), before);
    }
}

}  // namespace
