#pragma once

#include <QWidget>

class QLabel;

// The frameless picture shown while the program starts. It has no timer and no input
// handling: start-up shows it, repaints it and closes it.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
};
