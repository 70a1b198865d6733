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

    QLabel* picture = nullptr;
    QLabel* titleLabel = nullptr;
    QLabel* versionLabel = nullptr;
    QFrame* separator = nullptr;
    QLabel* codingCredit = nullptr;
    QLabel* tagCredit = nullptr;
    QLabel* toolkitCredit = nullptr;
    QPushButton* cmdOK = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
