#include "gui/window_placement.h"

#include "core/settings/common.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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
