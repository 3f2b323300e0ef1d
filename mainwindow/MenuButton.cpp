#include "MenuButton.h"

#include <QPainter>
#include <QStyleOptionToolButton>

void MenuButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QStyleOptionToolButton opt;
    initStyleOption(&opt);
    // The frame and hover background come from the style; glyph and caption
    // are laid out here so that they stand 8 pixels apart.
    opt.text.clear();
    opt.icon = QIcon();
    style()->drawComplexControl(QStyle::CC_ToolButton, &opt, &p, this);

    const QSize glyph = iconSize();
    const int textWidth = fontMetrics().horizontalAdvance(text());
    const int contentWidth = glyph.width() + 8 + textWidth;
    const int left = (width() - contentWidth) / 2;
    p.drawPixmap(left, (height() - glyph.height()) / 2, icon().pixmap(glyph));
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(QRect(left + glyph.width() + 8, 0, textWidth + 2, height()), Qt::AlignVCenter | Qt::AlignLeft,
               text());
}
