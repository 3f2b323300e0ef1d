#pragma once
// The program's own pictures, drawn from the SVG files compiled in as
// resources.

#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>

namespace Artwork {

// A picture of the resource folder (e.g. "glyphs/zoom-in.svg") drawn at size.
QPixmap render(const QString &name, const QSize &size);

// The six 16 x 16 images of the shared image list, in their order.
QList<QPixmap> imageList();

// The skin style sheet.
QString styleSheet();

} // namespace Artwork
