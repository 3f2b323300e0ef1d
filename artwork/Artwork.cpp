#include "Artwork.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace Artwork {

QPixmap render(const QString &name, const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/artwork/") + name);
    if (renderer.isValid()) {
        QPainter painter(&image);
        renderer.render(&painter);
    }
    return QPixmap::fromImage(image);
}

QList<QPixmap> imageList()
{
    static const char *const names[] = {
        "images/0-collapsed.svg", "images/1-expanded.svg", "images/2-album-closed.svg",
        "images/3-album-open.svg", "images/4-photo.svg",    "images/5-album.svg",
    };
    QList<QPixmap> list;
    for (const char *n : names)
        list.append(render(QString::fromLatin1(n), QSize(16, 16)));
    return list;
}

QString styleSheet()
{
    QFile f(QStringLiteral(":/artwork/skin.qss"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace Artwork
