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

    promptLabel = new QLabel(tr("Please set the default profile you want to use when you "
                                "convert your audio files"),
                             this);
    promptLabel->setWordWrap(true);
    comboProfile = new QComboBox(this);
    // The prompt names the box for a screen reader.
    promptLabel->setBuddy(comboProfile);
    comboProfile->setObjectName(QStringLiteral("comboProfile"));
    takeAccessibleChoice(comboProfile);
    for (const QString& name : profiles.names()) {
        comboProfile->addItem(sw::enc::ProfileCollection::displayName(name), name);
    }
    // The user must make the choice; a stored name is deliberately not offered.
    comboProfile->setCurrentIndex(-1);
    comboProfile->setMinimumContentsLength(30);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    cmdOK = buttons->button(QDialogButtonBox::Ok);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setText(QCoreApplication::translate("OkCancel", "OK"));
    cmdCancel = buttons->button(QDialogButtonBox::Cancel);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setText(QCoreApplication::translate("OkCancel", "Cancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    buttons->setCenterButtons(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(promptLabel);
    layout->addWidget(comboProfile);
    layout->addWidget(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &ProfileDialog::acceptIfValid);

    // The prompt wraps at about its combo box's width, and the dialog is as tall as that needs.
    promptLabel->setMinimumWidth(comboProfile->sizeHint().width());
    adjustSize();
    setFixedSize(size());
    centerOnScreen(this);
}

void ProfileDialog::acceptIfValid() {
    const QString profile = comboProfile->currentData().toString();
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
