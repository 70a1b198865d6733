#include "gui/dialogs/options_dialog.h"

#include "core/fs/file_status.h"
#include "core/fs/path_text.h"
#include "core/settings/app_settings.h"
#include "encoder/encoder.h"
#include "gui/art_pictures.h"
#include "gui/dialogs/accessible_choice.h"
#include "gui/dialogs/collection_options.h"
#include "gui/dialogs/folder_browser.h"
#include "gui/window_placement.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

void selectName(QComboBox* combo, const QString& name) {
    combo->setCurrentIndex(name.isEmpty() ? -1 : combo->findData(name));
}

// Without its trailing separator, except the root: "/" stripped would be no folder at all.
QString storedFolder(const QString& folder) {
    const QString stripped = stripTrailingSeparator(folder);
    return stripped.isEmpty() ? folder : stripped;
}

void showWarning(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QStringLiteral("Sonawell"), text);
}

}  // namespace

OptionsDialog::OptionsDialog(const sw::enc::ProfileCollection& profiles, QWidget* parent)
    : QDialog(parent), browseForFolder(&chooseFolder) {
    setWindowTitle(tr("Sonawell Options"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabOptions"));
    tabStrip = tabs_->tabBar();
    tabStrip->setObjectName(QStringLiteral("TabStrip1"));
    buildGeneralPage();
    buildQuickPage();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    cmdOK = buttons->button(QDialogButtonBox::Ok);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setText(QCoreApplication::translate("OkCancel", "OK"));
    cmdCancel = buttons->button(QDialogButtonBox::Cancel);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setText(QCoreApplication::translate("OkCancel", "Cancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);

    // Loading, from appSettings (not from the file).
    currentTab_ = 0;
    tabs_->setCurrentIndex(0);
    const QStringList names = profiles.names();
    for (const QString& name : names) {
        const QString shown = sw::enc::ProfileCollection::displayName(name);
        comboQuickFormat->addItem(shown, name);
        comboGeneralFormat->addItem(shown, name);
    }
    selectName(comboQuickFormat, appSettings.quickProfile);
    selectName(comboGeneralFormat, appSettings.generalProfile);
    // A level outside 0..2 shows no button chosen and is stored back unchanged.
    if (appSettings.cpuPriority >= 0 && appSettings.cpuPriority < 3) {
        optCPUPriority[appSettings.cpuPriority]->setChecked(true);
    }
    chkOverwriteExist->setChecked(appSettings.overwriteExist);
    chkDeleteSource->setChecked(appSettings.deleteSource);
    chkAutoStart->setChecked(appSettings.autoStart);
    chkQuickSameDirectory->setChecked(appSettings.sameTargetDir);
    updateFolderState();
    txtQuickFolder->setText(appSettings.targetDir);
    fraCollections->load(appSettings);

    connect(tabs_, &QTabWidget::currentChanged, this, &OptionsDialog::switchTab);
    connect(chkQuickSameDirectory, &QCheckBox::toggled, this, &OptionsDialog::updateFolderState);
    connect(cmdQuickFolder, &QPushButton::clicked, this, &OptionsDialog::browseTargetFolder);
    connect(cmdOK, &QPushButton::clicked, this, &OptionsDialog::acceptIfValid);

    // As large as its content needs, in any font, and no larger.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    centerOnOwner(this, parent);
}

void OptionsDialog::buildGeneralPage() {
    auto* page = new QWidget;
    tabPages[0] = page;
    lblGeneralFormat = new QLabel(tr("Output Format"), page);
    comboGeneralFormat = new QComboBox(page);
    comboGeneralFormat->setObjectName(QStringLiteral("comboGeneralFormat"));
    takeAccessibleChoice(comboGeneralFormat);
    comboGeneralFormat->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblGeneralFormat->setBuddy(comboGeneralFormat);
    chkDeleteSource = new QCheckBox(tr("Delete source files after converting"), page);
    chkDeleteSource->setObjectName(QStringLiteral("chkDeleteSource"));
    chkOverwriteExist = new QCheckBox(tr("Overwrite existing files without prompt"), page);
    chkOverwriteExist->setObjectName(QStringLiteral("chkOverwriteExist"));
    chkAutoStart =
        new QCheckBox(tr("Automatically start the conversion after adding the job"), page);
    chkAutoStart->setObjectName(QStringLiteral("chkAutoStart"));

    fraCPUPriority = new QGroupBox(tr("CPU Priority"), page);
    priorityButtons_ = new QButtonGroup(this);
    auto* priorities = new QHBoxLayout(fraCPUPriority);
    const QString texts[3] = {tr("Low priority"), tr("Normal priority"), tr("High priority")};
    for (int i = 0; i < 3; ++i) {
        optCPUPriority[i] = new QRadioButton(texts[i], fraCPUPriority);
        optCPUPriority[i]->setObjectName(QStringLiteral("optCPUPriority%1").arg(i));
        priorityButtons_->addButton(optCPUPriority[i], i);
        priorities->addWidget(optCPUPriority[i]);
    }
    priorities->addStretch();

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(lblGeneralFormat);
    layout->addWidget(comboGeneralFormat);
    layout->addWidget(chkDeleteSource);
    layout->addWidget(chkOverwriteExist);
    layout->addWidget(chkAutoStart);
    layout->addWidget(fraCPUPriority);
    layout->addStretch();
    tabs_->addTab(page, tr("General"));
}

void OptionsDialog::buildQuickPage() {
    auto* page = new QWidget;
    tabPages[1] = page;
    chkQuickSameDirectory =
        new QCheckBox(tr("Save the output to the same directory where the source file is"), page);
    chkQuickSameDirectory->setObjectName(QStringLiteral("chkQuickSameDirectory"));
    lblQuickFolder = new QLabel(tr("Target directory"), page);
    txtQuickFolder = new QLineEdit(page);
    txtQuickFolder->setObjectName(QStringLiteral("txtQuickFolder"));
    lblQuickFolder->setBuddy(txtQuickFolder);
    cmdQuickFolder = new QPushButton(page);
    cmdQuickFolder->setObjectName(QStringLiteral("cmdQuickFolder"));
    cmdQuickFolder->setIcon(browseIcon());
    cmdQuickFolder->setToolTip(tr("Set the target folder for quick convert"));
    cmdQuickFolder->setAccessibleName(cmdQuickFolder->toolTip());
    lblQuickFormat = new QLabel(tr("Output format for quick converting :"), page);
    comboQuickFormat = new QComboBox(page);
    comboQuickFormat->setObjectName(QStringLiteral("comboQuickFormat"));
    takeAccessibleChoice(comboQuickFormat);
    comboQuickFormat->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblQuickFormat->setBuddy(comboQuickFormat);

    auto* folder = new QHBoxLayout;
    folder->addWidget(lblQuickFolder);
    folder->addWidget(txtQuickFolder, 1);
    folder->addWidget(cmdQuickFolder);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(chkQuickSameDirectory);
    layout->addLayout(folder);
    layout->addWidget(lblQuickFormat);
    layout->addWidget(comboQuickFormat);
    fraCollections = new CollectionOptions(page);
    layout->addWidget(fraCollections);
    layout->addStretch();
    tabs_->addTab(page, tr("Quick Convert"));
}

QString OptionsDialog::folderProblem(bool accepting) const {
    if (chkQuickSameDirectory->isChecked() || (currentTab_ != 1 && !accepting)) {
        return {};
    }
    const QString folder = txtQuickFolder->text();
    // A relative folder would be taken from wherever the program happens to be started.
    if (!folder.isEmpty() && QDir::isRelativePath(folder)) {
        return tr("Choose an absolute folder");
    }
    if (currentTab_ == 1 && !isDirectory(folder)) {
        return tr("Invalid target directory");
    }
    return {};
}

void OptionsDialog::updateFolderState() {
    const bool same = chkQuickSameDirectory->isChecked();
    cmdQuickFolder->setEnabled(!same);
    txtQuickFolder->setEnabled(!same);
    // Greyed like a scroll bar while the folder does not apply, a normal text field otherwise.
    QPalette colours = txtQuickFolder->palette();
    colours.setColor(QPalette::Base,
                     same ? palette().color(QPalette::Button) : palette().color(QPalette::Base));
    txtQuickFolder->setPalette(colours);
}

void OptionsDialog::browseTargetFolder() {
    if (!browseForFolder) {
        return;
    }
    const QString chosen = browseForFolder(this, txtQuickFolder->text(),
                                           tr("Set the target folder for quick convert"));
    if (!chosen.isEmpty()) {
        txtQuickFolder->setText(chosen);
    }
}

void OptionsDialog::switchTab(int index) {
    if (index == currentTab_) {
        return;
    }
    if (const QString problem = folderProblem(false); !problem.isEmpty()) {
        // The page has already changed; put it back before telling the user.
        const QSignalBlocker block(tabs_);
        tabs_->setCurrentIndex(currentTab_);
        showWarning(this, problem);
        return;
    }
    currentTab_ = index;
}

void OptionsDialog::acceptIfValid() {
    if (const QString problem = folderProblem(true); !problem.isEmpty()) {
        showWarning(this, problem);
        return;
    }
    AppSettingsRecord chosen;
    chosen.iniPath = appSettings.iniPath;
    chosen.generalProfile = comboGeneralFormat->currentData().toString();
    chosen.deleteSource = chkDeleteSource->isChecked();
    chosen.overwriteExist = chkOverwriteExist->isChecked();
    chosen.autoStart = chkAutoStart->isChecked();
    // Read from the buttons, however they were chosen (mouse, keys or assistive technology).
    const int checked = priorityButtons_->checkedId();
    chosen.cpuPriority = checked >= 0 ? checked : appSettings.cpuPriority;
    chosen.quickProfile = comboQuickFormat->currentData().toString();
    chosen.sameTargetDir = chkQuickSameDirectory->isChecked();
    chosen.targetDir = storedFolder(txtQuickFolder->text());
    fraCollections->store(chosen);
    if (const QString reason = saveSettings(chosen); !reason.isEmpty()) {
        // The record stays what the file holds; the choices stay on screen, so the user can
        // try again or note them.
        loadSettings();
        showWarning(this, settingsWriteMessage(chosen.iniPath, reason));
        return;
    }
    loadSettings();
    accept();
}

// Placed again once the window exists: only then does its frame count in the arithmetic.
void OptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centerOnOwner(this, parentWidget());
}
