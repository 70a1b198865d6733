#include "gui/art_pictures.h"

#include <QPainter>
#include <QSvgRenderer>

// The pictures live in a static library, whose resource registration the linker would drop
// unless something refers to it.
static void initDialogArt() {
    static const bool done = [] {
        Q_INIT_RESOURCE(dialogs);
        return true;
    }();
    (void)done;
}

QPixmap renderArt(const QString& resource, int width, int height, qreal devicePixelRatio) {
    initDialogArt();
    QPixmap picture(QSize(width, height) * devicePixelRatio);
    picture.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    if (renderer.isValid()) {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    picture.setDevicePixelRatio(devicePixelRatio);
    return picture;
}

QIcon browseIcon() {
    QIcon icon;
    for (const int size : {20, 40}) {
        icon.addPixmap(renderArt(QStringLiteral(":/dialogs/art/browse.svg"), size, size));
    }
    return icon;
}
