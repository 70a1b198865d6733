#include "gui/splash_screen.h"

#include "gui/art_pictures.h"
#include "gui/window_placement.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QVBoxLayout>

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
    image_ = new QLabel(this);
    image_->setObjectName(QStringLiteral("imgSplash"));
    // The picture's own size, in device-independent pixels; the window is the picture.
    image_->setPixmap(
        renderArt(QStringLiteral(":/dialogs/art/splash.svg"), 250, 160, devicePixelRatioF()));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(image_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->activate();
    centerOnScreen(this);
}
