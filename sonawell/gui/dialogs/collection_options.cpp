#include "gui/dialogs/collection_options.h"

#include "core/jobs/job.h"
#include "core/settings/app_settings.h"
#include "encoder/encoder.h"
#include "gui/dialogs/accessible_choice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CollectionOptions::CollectionOptions(QWidget* parent) : QGroupBox(tr("Collections"), parent) {
    setObjectName(QStringLiteral("fraCollections"));
    lblWmaFormat = new QLabel(tr("WMA files become:"), this);
    comboWmaFormat = new QComboBox(this);
    comboWmaFormat->setObjectName(QStringLiteral("comboWmaFormat"));
    takeAccessibleChoice(comboWmaFormat);
    for (const QString& profile : {kWaveProfile, kFlacProfile}) {
        comboWmaFormat->addItem(sw::enc::ProfileCollection::displayName(profile), profile);
    }
    lblWmaFormat->setBuddy(comboWmaFormat);
    chkKeepFolders =
        new QCheckBox(tr("Keep the folder structure of folders in the target directory"), this);
    chkKeepFolders->setObjectName(QStringLiteral("chkKeepFolders"));
    chkSkipConverted =
        new QCheckBox(tr("Skip files already converted (output newer than its source)"), this);
    chkSkipConverted->setObjectName(QStringLiteral("chkSkipConverted"));

    auto* format = new QHBoxLayout;
    format->addWidget(lblWmaFormat);
    format->addWidget(comboWmaFormat);
    format->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(format);
    layout->addWidget(chkKeepFolders);
    layout->addWidget(chkSkipConverted);
}

void CollectionOptions::load(const AppSettingsRecord& settings) {
    comboWmaFormat->setCurrentIndex(settings.wmaToFlac ? 1 : 0);
    chkKeepFolders->setChecked(settings.keepFolders);
    chkSkipConverted->setChecked(settings.skipConverted);
}

void CollectionOptions::store(AppSettingsRecord& settings) const {
    settings.wmaToFlac = comboWmaFormat->currentData().toString() == kFlacProfile;
    settings.keepFolders = chkKeepFolders->isChecked();
    settings.skipConverted = chkSkipConverted->isChecked();
}
