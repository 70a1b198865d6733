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
    tabStrip_ = tabs_->tabBar();
    tabStrip_->setObjectName(QStringLiteral("TabStrip1"));
    buildGeneralPage();
    buildQuickPage();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    cmdOK_ = buttons->button(QDialogButtonBox::Ok);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setText(QCoreApplication::translate("OkCancel", "OK"));
    cmdCancel_ = buttons->button(QDialogButtonBox::Cancel);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setText(QCoreApplication::translate("OkCancel", "Cancel"));
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
        comboQuickFormat_->addItem(shown, name);
        comboGeneralFormat_->addItem(shown, name);
    }
    selectName(comboQuickFormat_, appSettings.quickProfile);
    selectName(comboGeneralFormat_, appSettings.generalProfile);
    // A level outside 0..2 shows no button chosen and is stored back unchanged.
    if (appSettings.cpuPriority >= 0 && appSettings.cpuPriority < 3) {
        optCPUPriority_[appSettings.cpuPriority]->setChecked(true);
    }
    chkOverwriteExist_->setChecked(appSettings.overwriteExist);
    chkDeleteSource_->setChecked(appSettings.deleteSource);
    chkAutoStart_->setChecked(appSettings.autoStart);
    chkQuickSameDirectory_->setChecked(appSettings.sameTargetDir);
    updateFolderState();
    txtQuickFolder_->setText(appSettings.targetDir);
    fraCollections_->load(appSettings);

    connect(tabs_, &QTabWidget::currentChanged, this, &OptionsDialog::switchTab);
    connect(chkQuickSameDirectory_, &QCheckBox::toggled, this, &OptionsDialog::updateFolderState);
    connect(cmdQuickFolder_, &QPushButton::clicked, this, &OptionsDialog::browseTargetFolder);
    connect(cmdOK_, &QPushButton::clicked, this, &OptionsDialog::acceptIfValid);

    // As large as its content needs, in any font, and no larger.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    centerOnOwner(this, parent);
}

void OptionsDialog::buildGeneralPage() {
    auto* page = new QWidget;
    tabPages_[0] = page;
    lblGeneralFormat_ = new QLabel(tr("Output Format"), page);
    comboGeneralFormat_ = new QComboBox(page);
    comboGeneralFormat_->setObjectName(QStringLiteral("comboGeneralFormat"));
    takeAccessibleChoice(comboGeneralFormat_);
    comboGeneralFormat_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblGeneralFormat_->setBuddy(comboGeneralFormat_);
    chkDeleteSource_ = new QCheckBox(tr("Delete source files after converting"), page);
    chkDeleteSource_->setObjectName(QStringLiteral("chkDeleteSource"));
    chkOverwriteExist_ = new QCheckBox(tr("Overwrite existing files without prompt"), page);
    chkOverwriteExist_->setObjectName(QStringLiteral("chkOverwriteExist"));
    chkAutoStart_ =
        new QCheckBox(tr("Automatically start the conversion after adding the job"), page);
    chkAutoStart_->setObjectName(QStringLiteral("chkAutoStart"));

    fraCPUPriority_ = new QGroupBox(tr("CPU Priority"), page);
    priorityButtons_ = new QButtonGroup(this);
    auto* priorities = new QHBoxLayout(fraCPUPriority_);
    const QString texts[3] = {tr("Low priority"), tr("Normal priority"), tr("High priority")};
    for (int i = 0; i < 3; ++i) {
        optCPUPriority_[i] = new QRadioButton(texts[i], fraCPUPriority_);
        optCPUPriority_[i]->setObjectName(QStringLiteral("optCPUPriority%1").arg(i));
        priorityButtons_->addButton(optCPUPriority_[i], i);
        priorities->addWidget(optCPUPriority_[i]);
    }
    priorities->addStretch();

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(lblGeneralFormat_);
    layout->addWidget(comboGeneralFormat_);
    layout->addWidget(chkDeleteSource_);
    layout->addWidget(chkOverwriteExist_);
    layout->addWidget(chkAutoStart_);
    layout->addWidget(fraCPUPriority_);
    layout->addStretch();
    tabs_->addTab(page, tr("General"));
}

void OptionsDialog::buildQuickPage() {
    auto* page = new QWidget;
    tabPages_[1] = page;
    chkQuickSameDirectory_ =
        new QCheckBox(tr("Save the output to the same directory where the source file is"), page);
    chkQuickSameDirectory_->setObjectName(QStringLiteral("chkQuickSameDirectory"));
    lblQuickFolder_ = new QLabel(tr("Target directory"), page);
    txtQuickFolder_ = new QLineEdit(page);
    txtQuickFolder_->setObjectName(QStringLiteral("txtQuickFolder"));
    lblQuickFolder_->setBuddy(txtQuickFolder_);
    cmdQuickFolder_ = new QPushButton(page);
    cmdQuickFolder_->setObjectName(QStringLiteral("cmdQuickFolder"));
    cmdQuickFolder_->setIcon(browseIcon());
    cmdQuickFolder_->setToolTip(tr("Set the target folder for quick convert"));
    cmdQuickFolder_->setAccessibleName(cmdQuickFolder_->toolTip());
    lblQuickFormat_ = new QLabel(tr("Output format for quick converting :"), page);
    comboQuickFormat_ = new QComboBox(page);
    comboQuickFormat_->setObjectName(QStringLiteral("comboQuickFormat"));
    takeAccessibleChoice(comboQuickFormat_);
    comboQuickFormat_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblQuickFormat_->setBuddy(comboQuickFormat_);

    auto* folder = new QHBoxLayout;
    folder->addWidget(lblQuickFolder_);
    folder->addWidget(txtQuickFolder_, 1);
    folder->addWidget(cmdQuickFolder_);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(chkQuickSameDirectory_);
    layout->addLayout(folder);
    layout->addWidget(lblQuickFormat_);
    layout->addWidget(comboQuickFormat_);
    fraCollections_ = new CollectionOptions(page);
    layout->addWidget(fraCollections_);
    layout->addStretch();
    tabs_->addTab(page, tr("Quick Convert"));
}

QString OptionsDialog::folderProblem(bool accepting) const {
    if (chkQuickSameDirectory_->isChecked() || (currentTab_ != 1 && !accepting)) {
        return {};
    }
    const QString folder = txtQuickFolder_->text();
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
    const bool same = chkQuickSameDirectory_->isChecked();
    cmdQuickFolder_->setEnabled(!same);
    txtQuickFolder_->setEnabled(!same);
    // Greyed like a scroll bar while the folder does not apply, a normal text field otherwise.
    QPalette colours = txtQuickFolder_->palette();
    colours.setColor(QPalette::Base,
                     same ? palette().color(QPalette::Button) : palette().color(QPalette::Base));
    txtQuickFolder_->setPalette(colours);
}

void OptionsDialog::browseTargetFolder() {
    if (!browseForFolder) {
        return;
    }
    const QString chosen = browseForFolder(this, txtQuickFolder_->text(),
                                           tr("Set the target folder for quick convert"));
    if (!chosen.isEmpty()) {
        txtQuickFolder_->setText(chosen);
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
    chosen.generalProfile = comboGeneralFormat_->currentData().toString();
    chosen.deleteSource = chkDeleteSource_->isChecked();
    chosen.overwriteExist = chkOverwriteExist_->isChecked();
    chosen.autoStart = chkAutoStart_->isChecked();
    // Read from the buttons, however they were chosen (mouse, keys or assistive technology).
    const int checked = priorityButtons_->checkedId();
    chosen.cpuPriority = checked >= 0 ? checked : appSettings.cpuPriority;
    chosen.quickProfile = comboQuickFormat_->currentData().toString();
    chosen.sameTargetDir = chkQuickSameDirectory_->isChecked();
    chosen.targetDir = storedFolder(txtQuickFolder_->text());
    fraCollections_->store(chosen);
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
