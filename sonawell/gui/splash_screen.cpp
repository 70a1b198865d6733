#include "gui/splash_screen.h"

#include "gui/art_pictures.h"
#include "gui/window_placement.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace {

// A plain top-level widget reaches assistive technology as a "filler" panel; the splash is a
// window of the program, named by its title.
QAccessibleInterface* splashAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("SplashScreen") && object != nullptr && object->isWidgetType()) {
        // Owned by Qt's accessibility cache, as every interface a factory makes.
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}

}  // namespace

SplashScreen::SplashScreen(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(splashAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
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
