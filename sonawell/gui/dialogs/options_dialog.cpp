#include "gui/dialogs/options_dialog.h"

#include "core/settings/app_settings.h"
#include "core/settings/common.h"
#include "encoder/encoder.h"
#include "gui/art_pictures.h"
#include "gui/dialogs/folder_browser.h"
#include "gui/window_placement.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

void SelectName(QComboBox* combo, const QString& name) {
    combo->setCurrentIndex(name.isEmpty() ? -1 : combo->findText(name));
}

// Without its trailing separator, except the root: "/" stripped would be no folder at all.
QString StoredFolder(const QString& folder) {
    const QString stripped = StripTrailingSeparator(folder);
    return stripped.isEmpty() ? folder : stripped;
}

void ShowInvalidFolder(QWidget* parent) {
    QMessageBox::warning(parent, QStringLiteral("Sonawell"),
                         QStringLiteral("Invalid target directory"));
}

}  // namespace

frmOptions::frmOptions(const sw::enc::ProfileCollection& profiles, QWidget* parent)
    : QDialog(parent), browseForFolder(&BrowseForFolder) {
    setWindowTitle(QStringLiteral("Sonawell Options"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    TabStrip1 = new QTabBar(this);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    TabStrip1->addTab(QStringLiteral("General"));
    TabStrip1->addTab(QStringLiteral("Quick Convert"));
    TabStrip1->setExpanding(false);
    TabStrip1->setDrawBase(false);
    pages = new QStackedWidget(this);
    pages->setFrameShape(QFrame::StyledPanel);
    buildGeneralPage();
    buildQuickPage();

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(0);
    layout->addWidget(TabStrip1);
    layout->addWidget(pages);
    layout->addSpacing(12);
    layout->addLayout(buttons);

    // Loading, from AppSettings (not from the file).
    nCurrentStrip = 0;
    pages->setCurrentIndex(0);
    const QStringList names = profiles.audioProfileNames();
    comboQuickFormat->addItems(names);
    comboGeneralFormat->addItems(names);
    SelectName(comboQuickFormat, AppSettings.QuickProfile);
    SelectName(comboGeneralFormat, AppSettings.GeneralProfile);
    // A level outside 0..2 shows no button chosen and is stored back unchanged.
    nSelectedPriority = AppSettings.CPUPriority;
    if (nSelectedPriority >= 0 && nSelectedPriority < 3) {
        optCPUPriority[nSelectedPriority]->setChecked(true);
    }
    chkOverwriteExist->setChecked(AppSettings.OverwriteExist);
    chkDeleteSource->setChecked(AppSettings.DeleteSource);
    chkAutoStart->setChecked(AppSettings.AutoStart);
    chkQuickSameDirectory->setChecked(AppSettings.SameTargetDir);
    chkQuickSameDirectory_Click();
    txtQuickFolder->setText(AppSettings.TargetDir);

    connect(TabStrip1, &QTabBar::currentChanged, this, &frmOptions::TabStrip1_Click);
    connect(chkQuickSameDirectory, &QCheckBox::toggled, this,
            &frmOptions::chkQuickSameDirectory_Click);
    connect(cmdQuickFolder, &QPushButton::clicked, this, &frmOptions::cmdQuickFolder_Click);
    connect(priorityGroup, &QButtonGroup::idClicked, this,
            [this](int id) { nSelectedPriority = id; });
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    adjustSize();
    setFixedSize(size());
    CenterWindowOnOwner(this, parent);
}

void frmOptions::buildGeneralPage() {
    auto* page = new QWidget;
    frmTabs[0] = page;
    lblGeneralFormat = new QLabel(QStringLiteral("Output Format"), page);
    comboGeneralFormat = new QComboBox(page);
    comboGeneralFormat->setObjectName(QStringLiteral("comboGeneralFormat"));
    comboGeneralFormat->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblGeneralFormat->setBuddy(comboGeneralFormat);
    chkDeleteSource = new QCheckBox(QStringLiteral("Delete source files after converting"), page);
    chkDeleteSource->setObjectName(QStringLiteral("chkDeleteSource"));
    chkOverwriteExist =
        new QCheckBox(QStringLiteral("Overwrite existing files without prompt"), page);
    chkOverwriteExist->setObjectName(QStringLiteral("chkOverwriteExist"));
    chkAutoStart = new QCheckBox(
        QStringLiteral("Automatically start the conversion after adding the job"), page);
    chkAutoStart->setObjectName(QStringLiteral("chkAutoStart"));

    fraCPUPriority = new QGroupBox(QStringLiteral("CPU Priority"), page);
    priorityGroup = new QButtonGroup(this);
    auto* priorities = new QHBoxLayout(fraCPUPriority);
    const QString texts[3] = {QStringLiteral("Low priority"), QStringLiteral("Normal priority"),
                              QStringLiteral("High priority")};
    for (int i = 0; i < 3; ++i) {
        optCPUPriority[i] = new QRadioButton(texts[i], fraCPUPriority);
        optCPUPriority[i]->setObjectName(QStringLiteral("optCPUPriority%1").arg(i));
        priorityGroup->addButton(optCPUPriority[i], i);
        priorities->addWidget(optCPUPriority[i]);
    }
    priorities->addStretch();

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(8);
    layout->addWidget(lblGeneralFormat);
    layout->addWidget(comboGeneralFormat);
    layout->addSpacing(4);
    layout->addWidget(chkDeleteSource);
    layout->addWidget(chkOverwriteExist);
    layout->addWidget(chkAutoStart);
    layout->addSpacing(4);
    layout->addWidget(fraCPUPriority);
    layout->addStretch();
    pages->addWidget(page);
}

void frmOptions::buildQuickPage() {
    auto* page = new QWidget;
    frmTabs[1] = page;
    chkQuickSameDirectory = new QCheckBox(
        QStringLiteral("Save the output to the same directory where the source file is"), page);
    chkQuickSameDirectory->setObjectName(QStringLiteral("chkQuickSameDirectory"));
    lblQuickFolder = new QLabel(QStringLiteral("Target directory"), page);
    txtQuickFolder = new QLineEdit(page);
    txtQuickFolder->setObjectName(QStringLiteral("txtQuickFolder"));
    lblQuickFolder->setBuddy(txtQuickFolder);
    cmdQuickFolder = new QPushButton(page);
    cmdQuickFolder->setObjectName(QStringLiteral("cmdQuickFolder"));
    cmdQuickFolder->setIcon(BrowseIcon());
    cmdQuickFolder->setIconSize(QSize(20, 20));
    cmdQuickFolder->setFixedSize(32, 28);
    cmdQuickFolder->setToolTip(QStringLiteral("Set the target folder for quick convert"));
    lblQuickFormat = new QLabel(QStringLiteral("Output format for quick converting :"), page);
    comboQuickFormat = new QComboBox(page);
    comboQuickFormat->setObjectName(QStringLiteral("comboQuickFormat"));
    comboQuickFormat->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblQuickFormat->setBuddy(comboQuickFormat);

    auto* folder = new QHBoxLayout;
    folder->addWidget(lblQuickFolder);
    folder->addWidget(txtQuickFolder, 1);
    folder->addWidget(cmdQuickFolder);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(8);
    layout->addWidget(chkQuickSameDirectory);
    layout->addLayout(folder);
    layout->addSpacing(8);
    layout->addWidget(lblQuickFormat);
    layout->addWidget(comboQuickFormat);
    layout->addStretch();
    pages->addWidget(page);
}

bool frmOptions::ValidateCurrentStrip() const {
    return nCurrentStrip != 1 || chkQuickSameDirectory->isChecked() ||
           IsDirectory(txtQuickFolder->text());
}

void frmOptions::chkQuickSameDirectory_Click() {
    const bool same = chkQuickSameDirectory->isChecked();
    cmdQuickFolder->setEnabled(!same);
    txtQuickFolder->setEnabled(!same);
    // Greyed like a scroll bar while the folder does not apply, a normal text field otherwise.
    QPalette colours = txtQuickFolder->palette();
    colours.setColor(QPalette::Base,
                     same ? palette().color(QPalette::Button) : palette().color(QPalette::Base));
    txtQuickFolder->setPalette(colours);
}

void frmOptions::cmdQuickFolder_Click() {
    if (!browseForFolder) {
        return;
    }
    const QString chosen = browseForFolder(
        this, txtQuickFolder->text(), QStringLiteral("Set the target folder for quick convert"));
    if (!chosen.isEmpty()) {
        txtQuickFolder->setText(chosen);
    }
}

void frmOptions::TabStrip1_Click(int index) {
    if (index == nCurrentStrip) {
        return;
    }
    if (!ValidateCurrentStrip()) {
        // The tab bar has already moved; put it back before telling the user.
        const QSignalBlocker block(TabStrip1);
        TabStrip1->setCurrentIndex(nCurrentStrip);
        ShowInvalidFolder(this);
        return;
    }
    pages->setCurrentIndex(index);
    nCurrentStrip = index;
}

void frmOptions::cmdOK_Click() {
    if (!ValidateCurrentStrip()) {
        ShowInvalidFolder(this);
        return;
    }
    AppSettingsRecord chosen;
    chosen.IniPath = AppSettings.IniPath;
    chosen.GeneralProfile = comboGeneralFormat->currentText();
    chosen.DeleteSource = chkDeleteSource->isChecked();
    chosen.OverwriteExist = chkOverwriteExist->isChecked();
    chosen.AutoStart = chkAutoStart->isChecked();
    chosen.CPUPriority = nSelectedPriority;
    chosen.QuickProfile = comboQuickFormat->currentText();
    chosen.SameTargetDir = chkQuickSameDirectory->isChecked();
    chosen.TargetDir = StoredFolder(txtQuickFolder->text());
    SaveSettings(chosen);
    LoadSettings();
    accept();
}

// Placed again once the window exists: only then does its frame count in the arithmetic.
void frmOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CenterWindowOnOwner(this, parentWidget());
}
