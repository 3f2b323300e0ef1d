#include "PictureView.h"

#include <QPainter>

void PictureView::setPicture(const QImage &picture, const QSize &size)
{
    m_picture = picture;
    m_size = size.isValid() ? size : picture.size();
    update();
}

QRect PictureView::drawRect(const QSize &picture, const QSize &control)
{
    const int w = picture.width();
    const int h = picture.height();
    const int cw = control.width();
    const int ch = control.height();
    int dw = w;
    int dh = h;
    if ((w > cw || h > ch) && w > 0 && h > 0) {
        const double r = double(w) / double(h);
        if (w > h) {
            dw = cw;
            dh = int(cw / r);
            if (dh > ch) {
                dh = ch;
                dw = int(ch * r);
            }
        } else {
            dh = ch;
            dw = int(ch * r);
            if (dw > cw) {
                dw = cw;
                dh = int(cw / r);
            }
        }
    }
    return QRect((cw - dw) / 2, (ch - dh) / 2, dw, dh);
}

void PictureView::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter p(this);
    const QRect target = drawRect(m_size, size());
    if (target.size() == m_picture.size()) {
        p.drawImage(target.topLeft(), m_picture);
    } else {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, m_picture);
    }
}
