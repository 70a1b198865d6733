#include "shell/art_pictures.h"

#include <QPainter>
#include <QSvgRenderer>

QPixmap RenderArt(const QString& resource, int width, int height, qreal devicePixelRatio) {
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
