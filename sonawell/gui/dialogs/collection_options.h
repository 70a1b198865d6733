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

    QLabel* wmaFormatLabel() const { return lblWmaFormat_; }
    QComboBox* wmaFormatBox() const { return comboWmaFormat_; }
    QCheckBox* keepFoldersBox() const { return chkKeepFolders_; }
    QCheckBox* skipConvertedBox() const { return chkSkipConverted_; }

private:
    QLabel* lblWmaFormat_ = nullptr;
    QComboBox* comboWmaFormat_ = nullptr;
    QCheckBox* chkKeepFolders_ = nullptr;
    QCheckBox* chkSkipConverted_ = nullptr;
};
