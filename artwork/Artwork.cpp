#include "Artwork.h"

#include <QFile>
#include <QStyle>
#include <QStyleFactory>
#include <QPainter>
#include <QSvgRenderer>

namespace Artwork {

QPixmap render(const QString &name, const QSize &size)
{
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/artwork/") + name);
    if (renderer.isValid()) {
        QPainter painter(&image);
        renderer.render(&painter);
    }
    image.setDevicePixelRatio(ratio);
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

QIcon programIcon()
{
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(render(QStringLiteral("program.svg"), QSize(side, side)));
    return icon;
}

QPalette palette()
{
    const QColor text(0x1b, 0x2b, 0x40);
    const QColor faded(0x9a, 0xa5, 0xb5);
    QPalette p;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        p.setColor(group, QPalette::Window, QColor(0xee, 0xf2, 0xf8));
        p.setColor(group, QPalette::WindowText, disabled ? faded : text);
        p.setColor(group, QPalette::Base, disabled ? QColor(0xf3, 0xf5, 0xf8) : QColor(Qt::white));
        p.setColor(group, QPalette::AlternateBase, QColor(0xf3, 0xf6, 0xfa));
        p.setColor(group, QPalette::Text, disabled ? faded : text);
        p.setColor(group, QPalette::PlaceholderText, faded);
        p.setColor(group, QPalette::Button, QColor(0xe4, 0xea, 0xf3));
        p.setColor(group, QPalette::ButtonText, disabled ? faded : text);
        p.setColor(group, QPalette::BrightText, Qt::white);
        p.setColor(group, QPalette::Light, Qt::white);
        p.setColor(group, QPalette::Midlight, QColor(0xdc, 0xe4, 0xef));
        p.setColor(group, QPalette::Mid, QColor(0xb5, 0xc4, 0xd9));
        p.setColor(group, QPalette::Dark, QColor(0x8f, 0xa6, 0xc4));
        p.setColor(group, QPalette::Shadow, QColor(0x5a, 0x6b, 0x82));
        p.setColor(group, QPalette::Highlight, disabled ? faded : QColor(0x3a, 0x6e, 0xa5));
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::ToolTipBase, QColor(0xff, 0xff, 0xe1));
        p.setColor(group, QPalette::ToolTipText, Qt::black);
        p.setColor(group, QPalette::Link, QColor(30, 86, 255));
        p.setColor(group, QPalette::LinkVisited, QColor(0x6a, 0x3d, 0xa8));
    }
    return p;
}

void applySkin(QApplication &application)
{
    // Fusion draws with the palette it is given, where a desktop's own
    // style may bring its dark colours with it.
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    QApplication::setPalette(palette());
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("sans-serif")});
    font.setPixelSize(11);
    QApplication::setFont(font);
    application.setStyleSheet(styleSheet());
}

QString styleSheet()
{
    QFile f(QStringLiteral(":/artwork/skin.qss"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace Artwork
