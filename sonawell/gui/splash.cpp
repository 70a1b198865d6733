#include "gui/splash.h"

#include "gui/window_placement.h"
#include "gui/art_pictures.h"

#include <QLabel>

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("Sonawell"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // 3690 by 2400 twips at 15 twips to the pixel. The picture is 4 pixels wider than the
    // window; its right edge is plain background.
    setFixedSize(246, 160);
    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, 250, 160);
    Image1->setPixmap(
        RenderArt(QStringLiteral(":/dialogs/art/splash.svg"), 250, 160, devicePixelRatioF()));
    CenterFormOnScreen(this);
}
