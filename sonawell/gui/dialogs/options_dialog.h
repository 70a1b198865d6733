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

    // The folder browser behind cmdQuickFolder; replaceable so that tests can answer it.
    std::function<QString(QWidget* owner, const QString& startFolder, const QString& title)>
        browseForFolder;

    // What is wrong with the quick-convert folder, for the user; empty when nothing is, and
    // always while the outputs go beside their sources. It must exist while the "Quick
    // Convert" page is shown; on OK (`accepting`) it must also be absolute, whatever the page.
    QString folderProblem(bool accepting) const;

    QTabBar* tabStrip = nullptr;
    QWidget* tabPages[2] = {nullptr, nullptr};

    QLabel* lblGeneralFormat = nullptr;
    QComboBox* comboGeneralFormat = nullptr;
    QCheckBox* chkDeleteSource = nullptr;
    QCheckBox* chkOverwriteExist = nullptr;
    QCheckBox* chkAutoStart = nullptr;
    QGroupBox* fraCPUPriority = nullptr;
    QRadioButton* optCPUPriority[3] = {nullptr, nullptr, nullptr};

    QCheckBox* chkQuickSameDirectory = nullptr;
    QLabel* lblQuickFolder = nullptr;
    QLineEdit* txtQuickFolder = nullptr;
    QPushButton* cmdQuickFolder = nullptr;
    QLabel* lblQuickFormat = nullptr;
    QComboBox* comboQuickFormat = nullptr;
    CollectionOptions* fraCollections = nullptr;

    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

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
    int currentTab_ = 0;
    QButtonGroup* priorityButtons_ = nullptr;
};
