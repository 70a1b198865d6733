#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// Renders one of the program's own SVG pictures (":/dialogs/art/...") at the given size in
// device-independent pixels, sharp on high-density screens.
QPixmap renderArt(const QString& resource, int width, int height, qreal devicePixelRatio = 1.0);

// The folder picture of the browse buttons.
QIcon browseIcon();
