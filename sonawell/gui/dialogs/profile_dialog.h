#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace sw::enc {
class ProfileCollection;
}

// "Set your default profile": the one profile chosen becomes both the general and the
// quick-convert default. Shown at start-up, before any other window exists.
class ProfileDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProfileDialog(const sw::enc::ProfileCollection& profiles, QWidget* parent = nullptr);

    // True only when OK closed the dialog; the file then holds the profile and appSettings
    // has been reloaded.
    bool okPressed = false;

    QLabel* promptLabel() const { return promptLabel_; }
    QComboBox* profileBox() const { return comboProfile_; }
    QPushButton* okButton() const { return cmdOK_; }
    QPushButton* cancelButton() const { return cmdCancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void acceptIfValid();

    QLabel* promptLabel_ = nullptr;
    QComboBox* comboProfile_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};
