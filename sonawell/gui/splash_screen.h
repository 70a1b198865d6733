#pragma once

#include <QWidget>

class QLabel;

// The frameless picture shown while the program starts. It has no timer and no input
// handling: start-up shows it, repaints it and closes it.
class SplashScreen : public QWidget {
    Q_OBJECT
public:
    explicit SplashScreen(QWidget* parent = nullptr);

    QLabel* image() const { return image_; }

private:
    QLabel* image_ = nullptr;
};
