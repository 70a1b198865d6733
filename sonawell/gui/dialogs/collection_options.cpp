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
    lblWmaFormat_ = new QLabel(tr("WMA files become:"), this);
    comboWmaFormat_ = new QComboBox(this);
    comboWmaFormat_->setObjectName(QStringLiteral("comboWmaFormat"));
    takeAccessibleChoice(comboWmaFormat_);
    for (const QString& profile : {kWaveProfile, kFlacProfile}) {
        comboWmaFormat_->addItem(sw::enc::ProfileCollection::displayName(profile), profile);
    }
    lblWmaFormat_->setBuddy(comboWmaFormat_);
    chkKeepFolders_ =
        new QCheckBox(tr("Keep the folder structure of folders in the target directory"), this);
    chkKeepFolders_->setObjectName(QStringLiteral("chkKeepFolders"));
    chkSkipConverted_ =
        new QCheckBox(tr("Skip files already converted (output newer than its source)"), this);
    chkSkipConverted_->setObjectName(QStringLiteral("chkSkipConverted"));

    auto* format = new QHBoxLayout;
    format->addWidget(lblWmaFormat_);
    format->addWidget(comboWmaFormat_);
    format->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(format);
    layout->addWidget(chkKeepFolders_);
    layout->addWidget(chkSkipConverted_);
}

void CollectionOptions::load(const AppSettingsRecord& settings) {
    comboWmaFormat_->setCurrentIndex(settings.wmaToFlac ? 1 : 0);
    chkKeepFolders_->setChecked(settings.keepFolders);
    chkSkipConverted_->setChecked(settings.skipConverted);
}

void CollectionOptions::store(AppSettingsRecord& settings) const {
    settings.wmaToFlac = comboWmaFormat_->currentData().toString() == kFlacProfile;
    settings.keepFolders = chkKeepFolders_->isChecked();
    settings.skipConverted = chkSkipConverted_->isChecked();
}
