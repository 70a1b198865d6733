#pragma once

#include <QDialog>

#include <functional>

class CollectionOptions;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabBar;
class QTabWidget;

namespace sw::enc {
class ProfileCollection;
}

// "Sonawell Options": the general and quick-convert settings on two pages. OK writes every
// setting and reloads appSettings; Cancel writes nothing.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(const sw::enc::ProfileCollection& profiles, QWidget* parent);

    // The folder browser behind quickFolderButton(); replaceable so that tests can answer it.
    std::function<QString(QWidget* owner, const QString& startFolder, const QString& title)>
        browseForFolder;

    // What is wrong with the quick-convert folder, for the user; empty when nothing is, and
    // always while the outputs go beside their sources. It must exist while the "Quick
    // Convert" page is shown; on OK (`accepting`) it must also be absolute, whatever the page.
    QString folderProblem(bool accepting) const;

    QTabBar* tabStrip() const { return tabStrip_; }
    // 0: "General", 1: "Quick Convert".
    QWidget* tabPage(int index) const { return tabPages_[index]; }

    QLabel* generalFormatLabel() const { return lblGeneralFormat_; }
    QComboBox* generalFormatBox() const { return comboGeneralFormat_; }
    QCheckBox* deleteSourceBox() const { return chkDeleteSource_; }
    QCheckBox* overwriteExistBox() const { return chkOverwriteExist_; }
    QCheckBox* autoStartBox() const { return chkAutoStart_; }
    QGroupBox* priorityFrame() const { return fraCPUPriority_; }
    // The button of priority level `level` (0 low, 1 normal, 2 high).
    QRadioButton* priorityButton(int level) const { return optCPUPriority_[level]; }

    QCheckBox* sameDirectoryBox() const { return chkQuickSameDirectory_; }
    QLabel* quickFolderLabel() const { return lblQuickFolder_; }
    QLineEdit* quickFolderEdit() const { return txtQuickFolder_; }
    QPushButton* quickFolderButton() const { return cmdQuickFolder_; }
    QLabel* quickFormatLabel() const { return lblQuickFormat_; }
    QComboBox* quickFormatBox() const { return comboQuickFormat_; }
    CollectionOptions* collectionOptions() const { return fraCollections_; }

    QPushButton* okButton() const { return cmdOK_; }
    QPushButton* cancelButton() const { return cmdCancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildGeneralPage();
    void buildQuickPage();
    void updateFolderState();
    void browseTargetFolder();
    void switchTab(int index);
    void acceptIfValid();

    QTabWidget* tabs_ = nullptr;
    QTabBar* tabStrip_ = nullptr;
    QWidget* tabPages_[2] = {nullptr, nullptr};

    QLabel* lblGeneralFormat_ = nullptr;
    QComboBox* comboGeneralFormat_ = nullptr;
    QCheckBox* chkDeleteSource_ = nullptr;
    QCheckBox* chkOverwriteExist_ = nullptr;
    QCheckBox* chkAutoStart_ = nullptr;
    QGroupBox* fraCPUPriority_ = nullptr;
    QRadioButton* optCPUPriority_[3] = {nullptr, nullptr, nullptr};

    QCheckBox* chkQuickSameDirectory_ = nullptr;
    QLabel* lblQuickFolder_ = nullptr;
    QLineEdit* txtQuickFolder_ = nullptr;
    QPushButton* cmdQuickFolder_ = nullptr;
    QLabel* lblQuickFormat_ = nullptr;
    QComboBox* comboQuickFormat_ = nullptr;
    CollectionOptions* fraCollections_ = nullptr;

    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    int currentTab_ = 0;
    QButtonGroup* priorityButtons_ = nullptr;
};
