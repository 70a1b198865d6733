#include "dialog_test_support.h"

#include "core/settings/app_settings.h"
#include "core/settings/ini_file.h"
#include "encoder/encoder.h"
#include "gui/dialogs/add_job_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using dialogtest::AnswerMessageBox;
using dialogtest::TempSettings;

namespace {

const QString kCd = QStringLiteral("Audio for CD quality (128 Kbps, 44 kHz, stereo)");
const QString kVoice = QStringLiteral("Audio for voice (32 Kbps, 22 kHz, mono)");
const QString kWmaToWav = QStringLiteral("WMA to WAV");

void SetDefaultProfile(const TempSettings& settings, const QString& profile) {
    writeIniValue(settings.iniPath(), QStringLiteral("General"), QStringLiteral("Profile"),
                  profile);
}

QStringList Lines(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) {
        lines << list->item(i)->text();
    }
    return lines;
}

// Moves the keyboard focus as a click or Tab would, so the box being left sees it go.
void MoveFocus(QWidget* to) {
    to->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
}

struct AddJobFixture : ::testing::Test {
    void open() {
        dialog = std::make_unique<AddJobDialog>(profiles, &owner);
        dialog->chooseSources = [this] { return nextSources; };
        dialog->chooseOutput = [this] { return nextOutput; };
        owner.show();
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
    }

    TempSettings settings;
    const sw::enc::ProfileCollection profiles;
    QWidget owner;
    std::unique_ptr<AddJobDialog> dialog;
    QStringList nextSources;
    QString nextOutput;
};

TEST_F(AddJobFixture, ShowsItsControlsAndTheFormatsInEncoderOrder) {
    SetDefaultProfile(settings, kCd);
    open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Add conversion Job"));
    EXPECT_EQ(dialog->sourceLabel()->text(), QStringLiteral("Source File"));
    EXPECT_EQ(dialog->outputLabel()->text(), QStringLiteral("Output File"));
    EXPECT_EQ(dialog->formatLabel()->text(), QStringLiteral("Output Format"));
    EXPECT_EQ(dialog->okButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(dialog->cancelButton()->text(), QStringLiteral("Cancel"));
    EXPECT_FALSE(dialog->browseSourceButton()->icon().isNull());
    EXPECT_FALSE(dialog->browseOutputButton()->icon().isNull());

    QStringList formats;
    for (int i = 0; i < dialog->formatBox()->count(); ++i) {
        formats << dialog->formatBox()->itemText(i);
    }
    const QStringList expected =
        profiles.names() + QStringList{kWmaToWav, QStringLiteral("WMA to FLAC")};
    EXPECT_EQ(formats, expected);
    // The default comes from the file, not from the loaded settings.
    EXPECT_TRUE(appSettings.generalProfile.isEmpty());
    EXPECT_EQ(dialog->formatBox()->currentText(), kCd);
    EXPECT_EQ(dialog->sources, QStringList{QString()});
    EXPECT_EQ(dialog->outputs, QStringList{QString()});
    EXPECT_EQ(dialog->formats, QStringList{QString()});
}

TEST_F(AddJobFixture, TwoSourcesGetTheirOutputsAndFormatsAndKeepEditsPerLine) {
    SetDefaultProfile(settings, kCd);
    open();
    nextSources = {QStringLiteral("/music/a.wma"), QStringLiteral("/music/b.wav")};
    dialog->browseSourceButton()->click();

    EXPECT_EQ(Lines(dialog->sourceList()), nextSources);
    EXPECT_EQ(dialog->sources, nextSources);
    EXPECT_EQ(dialog->outputs,
              (QStringList{QStringLiteral("/music/a.wav"), QStringLiteral("/music/b.wma")}));
    EXPECT_EQ(dialog->formats, (QStringList{kWmaToWav, kCd}));
    EXPECT_EQ(dialog->sourceList()->currentRow(), 0);
    EXPECT_EQ(dialog->outputEdit()->text(), QStringLiteral("/music/a.wav"));
    EXPECT_EQ(dialog->formatBox()->currentText(), kWmaToWav);

    // Line 2: another format, then away to line 1 and back.
    dialog->sourceList()->setCurrentRow(1);
    EXPECT_EQ(dialog->outputEdit()->text(), QStringLiteral("/music/b.wma"));
    MoveFocus(dialog->formatBox());
    dialog->formatBox()->setCurrentText(kVoice);
    MoveFocus(dialog->sourceList());
    dialog->sourceList()->setCurrentRow(0);
    EXPECT_EQ(dialog->formatBox()->currentText(), kWmaToWav);
    EXPECT_EQ(dialog->outputEdit()->text(), QStringLiteral("/music/a.wav"));
    dialog->sourceList()->setCurrentRow(1);
    EXPECT_EQ(dialog->formatBox()->currentText(), kVoice);

    // A typed output path, then OK at once.
    MoveFocus(dialog->outputEdit());
    dialog->outputEdit()->setText(QStringLiteral("/elsewhere/b-voice.wma"));
    dialog->okButton()->click();
    EXPECT_TRUE(dialog->okPressed);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->sources, nextSources);
    EXPECT_EQ(dialog->outputs, (QStringList{QStringLiteral("/music/a.wav"),
                                            QStringLiteral("/elsewhere/b-voice.wma")}));
    EXPECT_EQ(dialog->formats, (QStringList{kWmaToWav, kVoice}));
}

TEST_F(AddJobFixture, OutputBrowseFillsTheBoxKeepsItForItsLineAndCancelKeepsIt) {
    open();
    nextSources = {QStringLiteral("/music/a.mp3"), QStringLiteral("/music/b.mp3")};
    dialog->browseSourceButton()->click();
    nextOutput = QStringLiteral("/out/picked.wma");
    dialog->browseOutputButton()->click();
    EXPECT_EQ(dialog->outputEdit()->text(), nextOutput);
    nextOutput.clear();
    dialog->browseOutputButton()->click();
    EXPECT_EQ(dialog->outputEdit()->text(), QStringLiteral("/out/picked.wma"));
    // Kept for its line at once: the box never had the focus, so leaving it can't be awaited.
    dialog->sourceList()->setCurrentRow(1);
    EXPECT_EQ(dialog->outputEdit()->text(), QStringLiteral("/music/b.wma"));
    dialog->sourceList()->setCurrentRow(0);
    EXPECT_EQ(dialog->outputEdit()->text(), QStringLiteral("/out/picked.wma"));
    dialog->okButton()->click();
    EXPECT_EQ(dialog->outputs,
              (QStringList{QStringLiteral("/out/picked.wma"), QStringLiteral("/music/b.wma")}));
}

TEST_F(AddJobFixture, WithoutDefaultProfileNonWmaSourcesGetAnEmptyFormat) {
    open();
    nextSources = {QStringLiteral("/music/a.mp3"), QStringLiteral("/music/B.WMA"),
                   QStringLiteral("/music/c.mp2")};
    dialog->browseSourceButton()->click();
    EXPECT_EQ(dialog->formats, (QStringList{QString(), kWmaToWav, QString()}));
    EXPECT_EQ(dialog->outputs,
              (QStringList{QStringLiteral("/music/a.wma"), QStringLiteral("/music/B.wav"),
                           QStringLiteral("/music/c.wma")}));
    EXPECT_EQ(dialog->formatBox()->currentIndex(), -1);
    dialog->okButton()->click();
    EXPECT_TRUE(dialog->okPressed);
    EXPECT_EQ(dialog->formats, (QStringList{QString(), kWmaToWav, QString()}));
}

// The table of formats does not take these: no output or format is made up for them.
TEST_F(AddJobFixture, AFileOfNoKnownFormatGetsNoProposal) {
    SetDefaultProfile(settings, kCd);
    open();
    nextSources = {QStringLiteral("/music/notes.txt"), QStringLiteral("/music/xmp3"),
                   QStringLiteral("/music/a.mp3")};
    dialog->browseSourceButton()->click();
    EXPECT_EQ(dialog->outputs, (QStringList{QString(), QString(), QStringLiteral("/music/a.wma")}));
    EXPECT_EQ(dialog->formats, (QStringList{QString(), QString(), kCd}));
    EXPECT_EQ(dialog->outputEdit()->text(), QString());
    EXPECT_EQ(dialog->formatBox()->currentIndex(), -1);
}

TEST_F(AddJobFixture, AnUnknownStoredProfileIsKeptUntilTheUserPicksOne) {
    SetDefaultProfile(settings, QStringLiteral("A profile the encoder dropped"));
    open();
    EXPECT_EQ(dialog->formatBox()->currentIndex(), -1);
    nextSources = {QStringLiteral("/music/a.mp3"), QStringLiteral("/music/b.mp3")};
    dialog->browseSourceButton()->click();
    MoveFocus(dialog->formatBox());
    MoveFocus(dialog->sourceList());
    EXPECT_EQ(dialog->formats.at(0), QStringLiteral("A profile the encoder dropped"));
    dialog->sourceList()->setCurrentRow(1);
    MoveFocus(dialog->formatBox());
    dialog->formatBox()->setCurrentText(kCd);
    dialog->okButton()->click();
    EXPECT_EQ(dialog->formats, (QStringList{QStringLiteral("A profile the encoder dropped"), kCd}));
}

TEST_F(AddJobFixture, ASecondSelectionReplacesTheFirst) {
    SetDefaultProfile(settings, kCd);
    open();
    nextSources = {QStringLiteral("/one/a.mp3"), QStringLiteral("/one/b.mp3"),
                   QStringLiteral("/one/c.mp3")};
    dialog->browseSourceButton()->click();
    dialog->sourceList()->setCurrentRow(2);
    nextSources = {QStringLiteral("/two/z.wma")};
    dialog->browseSourceButton()->click();
    EXPECT_EQ(Lines(dialog->sourceList()), nextSources);
    EXPECT_EQ(dialog->sources, nextSources);
    EXPECT_EQ(dialog->outputs, QStringList{QStringLiteral("/two/z.wav")});
    EXPECT_EQ(dialog->formats, QStringList{kWmaToWav});
    // A cancelled choice leaves everything as it was.
    nextSources.clear();
    dialog->browseSourceButton()->click();
    EXPECT_EQ(dialog->sources, QStringList{QStringLiteral("/two/z.wma")});
}

TEST_F(AddJobFixture, OkWithoutSourceWarnsAndLeavingBoxesStoresNothing) {
    open();
    MoveFocus(dialog->outputEdit());
    dialog->outputEdit()->setText(QStringLiteral("/typed/early.wma"));
    MoveFocus(dialog->formatBox());
    MoveFocus(dialog->okButton());
    EXPECT_EQ(dialog->outputs, QStringList{QString()});

    const auto message = AnswerMessageBox([&] { dialog->okButton()->click(); });
    EXPECT_TRUE(message.shown);
    EXPECT_EQ(message.text, QStringLiteral("Invalid Source File Name"));
    EXPECT_EQ(message.title, QStringLiteral("Sonawell"));
    EXPECT_TRUE(message.warningIcon);
    EXPECT_FALSE(dialog->okPressed);
    EXPECT_TRUE(dialog->isVisible());

    dialog->cancelButton()->click();
    EXPECT_FALSE(dialog->okPressed);
}

TEST_F(AddJobFixture, OpensCentredOverItsOwner) {
    owner.setGeometry(200, 150, 900, 700);
    open();
    EXPECT_NEAR(dialog->frameGeometry().center().x(), owner.frameGeometry().center().x(), 1);
    EXPECT_NEAR(dialog->frameGeometry().center().y(), owner.frameGeometry().center().y(), 1);
}

// The source filters match extensions in any letter case and show the familiar labels; "All
// supported files" is every format of the table, WMA included.
TEST(AddJobFilters, OfferUpperAndMixedCaseFiles) {
    QTemporaryDir dir;
    for (const char* name :
         {"SONG.MP3", "Take.Mp2", "tone.wav", "voice.WMA", "notes.txt", "xmp3"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QFileDialog picker(nullptr, QString(), dir.path());
    picker.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    picker.setFileMode(QFileDialog::ExistingFiles);
    picker.setNameFilters(sourceFileFilters());
    auto* model = picker.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    picker.show();

    auto shown = [&] {
        QStringList names;
        const QModelIndex root = model->index(dir.path());
        for (int i = 0; i < model->rowCount(root); ++i) {
            names << model->index(i, 0, root).data().toString();
        }
        names.sort();
        return names;
    };
    const QStringList supported{QStringLiteral("SONG.MP3"), QStringLiteral("Take.Mp2"),
                                QStringLiteral("tone.wav"), QStringLiteral("voice.WMA")};
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown() == supported; }, 120000))
        << shown().join(QLatin1Char(',')).toStdString();
    picker.selectNameFilter(sourceFileFilters().at(3));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown() == QStringList{QStringLiteral("voice.WMA")}; },
                                120000))
        << shown().join(QLatin1Char(',')).toStdString();

    auto* types = picker.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    QStringList labels;
    for (int i = 0; i < types->count(); ++i) {
        labels << types->itemText(i);
    }
    EXPECT_EQ(labels,
              (QStringList{QStringLiteral("All supported files (*.mp3;*.mp2;*.wav;*.wma;*.flac;"
                                          "*.ogg;*.oga;*.opus;*.m4a;*.m4b;*.aac;*.aif;*.aiff;"
                                          "*.aifc;*.wv;*.ape)"),
                           QStringLiteral("MPEG audio files (*.mp3;*.mp2)"),
                           QStringLiteral("Microsoft Waveform audio files (*.wav)"),
                           QStringLiteral("Windows Media Audio files (*.wma)"),
                           QStringLiteral("FLAC audio files (*.flac)"),
                           QStringLiteral("Ogg audio files (*.ogg;*.oga;*.opus)"),
                           QStringLiteral("MPEG-4 audio files (*.m4a;*.m4b;*.aac)"),
                           QStringLiteral("AIFF audio files (*.aif;*.aiff;*.aifc)"),
                           QStringLiteral("WavPack audio files (*.wv)"),
                           QStringLiteral("Monkey's Audio files (*.ape)")}));
    ASSERT_EQ(outputFileFilters().size(), 1);
    EXPECT_TRUE(outputFileFilters().first().startsWith(
        QStringLiteral("Windows Media Format Audio Files (*.wma)")));
}

}  // namespace
