#include "gui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>
#include <cstdint>

namespace {

int64_t roundHalfEven(double value) {
    return static_cast<int64_t>(std::nearbyint(value));
}

}  // namespace

PlacedPoint centerOnScreenPosition(int screenWidth, int screenHeight, int formWidth,
                                   int formHeight) {
    // The 0.85 lifts the form a little above the middle; the width is centred exactly.
    const int64_t top = roundHalfEven(screenHeight * 0.85) / 2 - roundHalfEven(formHeight) / 2;
    const int64_t left = roundHalfEven(screenWidth) / 2 - roundHalfEven(formWidth) / 2;
    return PlacedPoint{static_cast<int>(left), static_cast<int>(top)};
}

PlacedPoint centerOnOwnerPosition(int ownerLeft, int ownerTop, int ownerWidth, int ownerHeight,
                                  int width, int height) {
    const double x = ownerLeft + (static_cast<double>(ownerWidth) - width) / 2.0;
    const double y = ownerTop + (static_cast<double>(ownerHeight) - height) / 2.0;
    return PlacedPoint{static_cast<int>(roundHalfEven(x)), static_cast<int>(roundHalfEven(y))};
}

void centerOnScreen(QWidget* form) {
    if (form == nullptr) {
        return;
    }
    QScreen* screen = form->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    const QRect frame = form->frameGeometry();
    const PlacedPoint at =
        centerOnScreenPosition(area.width(), area.height(), frame.width(), frame.height());
    form->move(area.x() + at.x, area.y() + at.y);
}

void centerOnOwner(QWidget* window, QWidget* owner) {
    if (window == nullptr || owner == nullptr) {
        return;
    }
    const QRect ownerFrame = owner->window()->frameGeometry();
    const QRect frame = window->frameGeometry();
    const PlacedPoint at =
        centerOnOwnerPosition(ownerFrame.x(), ownerFrame.y(), ownerFrame.width(),
                              ownerFrame.height(), frame.width(), frame.height());
    window->move(at.x, at.y);
}
