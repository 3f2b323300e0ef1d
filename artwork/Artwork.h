#pragma once
// The program's own pictures, drawn from the SVG files compiled in as
// resources.

#include <QApplication>
#include <QIcon>
#include <QPalette>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>

namespace Artwork {

// A picture of the resource folder (e.g. "glyphs/zoom-in.svg") drawn at size,
// in the screen's own pixels, so that it stays sharp on a scaled screen.
QPixmap render(const QString &name, const QSize &size);

// The six 16 x 16 images of the shared image list, in their order.
QList<QPixmap> imageList();

// The skin style sheet.
QString styleSheet();

// The program's icon (the desktop's icon of the program, and its windows').
QIcon programIcon();

// The skin's light colours for every role, whatever the desktop's colour
// scheme: the skin's backgrounds are light, so its texts must be dark.
QPalette palette();

// Gives the application the skin: its style, colours, font and style sheet.
void applySkin(QApplication &application);

} // namespace Artwork
