#include "gui/dialogs/profile_dialog.h"

#include "core/settings/app_settings.h"
#include "encoder/encoder.h"
#include "gui/dialogs/accessible_choice.h"
#include "gui/window_placement.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

ProfileDialog::ProfileDialog(const sw::enc::ProfileCollection& profiles, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Set your default profile"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    promptLabel_ = new QLabel(tr("Please set the default profile you want to use when you "
                                 "convert your audio files"),
                              this);
    promptLabel_->setWordWrap(true);
    comboProfile_ = new QComboBox(this);
    // The prompt names the box for a screen reader.
    promptLabel_->setBuddy(comboProfile_);
    comboProfile_->setObjectName(QStringLiteral("comboProfile"));
    takeAccessibleChoice(comboProfile_);
    for (const QString& name : profiles.names()) {
        comboProfile_->addItem(sw::enc::ProfileCollection::displayName(name), name);
    }
    // The user must make the choice; a stored name is deliberately not offered.
    comboProfile_->setCurrentIndex(-1);
    comboProfile_->setMinimumContentsLength(30);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    cmdOK_ = buttons->button(QDialogButtonBox::Ok);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setText(QCoreApplication::translate("OkCancel", "OK"));
    cmdCancel_ = buttons->button(QDialogButtonBox::Cancel);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setText(QCoreApplication::translate("OkCancel", "Cancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    buttons->setCenterButtons(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(promptLabel_);
    layout->addWidget(comboProfile_);
    layout->addWidget(buttons);

    connect(cmdOK_, &QPushButton::clicked, this, &ProfileDialog::acceptIfValid);

    // The prompt wraps at about its combo box's width, and the dialog is as tall as that needs.
    promptLabel_->setMinimumWidth(comboProfile_->sizeHint().width());
    adjustSize();
    setFixedSize(size());
    centerOnScreen(this);
}

void ProfileDialog::acceptIfValid() {
    const QString profile = comboProfile_->currentData().toString();
    if (profile.isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Sonawell"), tr("You must select a profile"));
        return;
    }
    if (const QString reason = saveDefaultProfile(appSettings.iniPath, profile);
        !reason.isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Sonawell"),
                             settingsWriteMessage(appSettings.iniPath, reason));
        return;
    }
    okPressed = true;
    loadSettings();
    accept();
}

// Placed again once the window exists: only then does its frame count in the arithmetic.
void ProfileDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centerOnScreen(this);
}
