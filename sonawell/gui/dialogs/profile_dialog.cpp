#include "gui/dialogs/profile_dialog.h"

#include "core/settings/app_settings.h"
#include "encoder/encoder.h"
#include "gui/dialogs/accessible_choice.h"
#include "gui/dialogs/ok_cancel.h"
#include "gui/window_placement.h"

#include <QComboBox>
#include <QHBoxLayout>
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
    const OkCancel okCancel = makeOkCancel(this);
    cmdOK = okCancel.ok;
    cmdCancel = okCancel.cancel;

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(12);
    layout->addWidget(promptLabel);
    layout->addWidget(comboProfile);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &ProfileDialog::acceptIfValid);

    setFixedWidth(400);
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
