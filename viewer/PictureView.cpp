#include "PictureView.h"

#include <QPaintEvent>
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

void PictureView::setDetail(const QImage &detail, const QRect &part, const QSize &whole)
{
    m_detail = detail;
    m_detailPart = part;
    m_detailWhole = whole;
    update();
}

void PictureView::clearDetail()
{
    if (m_detail.isNull())
        return;
    m_detail = QImage();
    update();
}

void PictureView::paintEvent(QPaintEvent *event)
{
    if (m_picture.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect target = drawRect(m_size, size());
    QRectF detailTarget;
    if (!m_detail.isNull() && !m_detailWhole.isEmpty()) {
        const double sx = double(target.width()) / m_detailWhole.width();
        const double sy = double(target.height()) / m_detailWhole.height();
        detailTarget = QRectF(target.x() + m_detailPart.x() * sx, target.y() + m_detailPart.y() * sy,
                              m_detailPart.width() * sx, m_detailPart.height() * sy);
    }
    // The picture underneath only where the detail does not cover.
    if (!detailTarget.contains(QRectF(event->rect()))) {
        if (target.size() == m_picture.size())
            p.drawImage(target.topLeft(), m_picture);
        else
            p.drawImage(target, m_picture);
    }
    if (!detailTarget.isEmpty())
        p.drawImage(detailTarget, m_detail);
}
