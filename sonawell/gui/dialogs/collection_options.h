#pragma once

#include <QGroupBox>

struct AppSettingsRecord;
class QCheckBox;
class QComboBox;
class QLabel;

// The Options controls for whole collections: what quick convert makes of a WMA source, whether
// a folder's tree is kept below the target folder, and whether outputs newer than their
// sources are left alone on a re-run.
class CollectionOptions : public QGroupBox {
    Q_OBJECT
public:
    explicit CollectionOptions(QWidget* parent);

    void load(const AppSettingsRecord& settings);
    void store(AppSettingsRecord& settings) const;

    QLabel* lblWmaFormat = nullptr;
    QComboBox* comboWmaFormat = nullptr;
    QCheckBox* chkKeepFolders = nullptr;
    QCheckBox* chkSkipConverted = nullptr;
};
