#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// "About Sonawell": the program's name, its version and the libraries it is built on.
// Centred over its owner each time it is created.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);

    QLabel* picture() const { return picture_; }
    QLabel* titleLabel() const { return titleLabel_; }
    QLabel* versionLabel() const { return versionLabel_; }
    QFrame* separator() const { return separator_; }
    QLabel* codingCredit() const { return codingCredit_; }
    QLabel* tagCredit() const { return tagCredit_; }
    QLabel* toolkitCredit() const { return toolkitCredit_; }
    QPushButton* okButton() const { return cmdOK_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* picture_ = nullptr;
    QLabel* titleLabel_ = nullptr;
    QLabel* versionLabel_ = nullptr;
    QFrame* separator_ = nullptr;
    QLabel* codingCredit_ = nullptr;
    QLabel* tagCredit_ = nullptr;
    QLabel* toolkitCredit_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
};
