#include "gui/splash_screen.h"

#include "gui/art_pictures.h"
#include "gui/window_placement.h"

#include <QLabel>

SplashScreen::SplashScreen(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("Sonawell"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // 3690 by 2400 twips at 15 twips to the pixel. The picture is 4 pixels wider than the
    // window; its right edge is plain background.
    setFixedSize(246, 160);
    image = new QLabel(this);
    image->setGeometry(0, 0, 250, 160);
    image->setPixmap(
        renderArt(QStringLiteral(":/dialogs/art/splash.svg"), 250, 160, devicePixelRatioF()));
    centerOnScreen(this);
}
