#pragma once

#include <QImage>
#include <QWidget>

// A picture drawn scaled down proportionally when larger than the control,
// never enlarged, and centred in it. The picture has a size of its own, the
// size it stands for, which its pixels may not have: a picture decoded at an
// eighth of its size stands for the whole one and is drawn as the whole one
// would be. Only the part of it that shows is ever drawn, so a picture
// zoomed far in costs no more to draw than a fitted one.
class PictureView : public QWidget
{
    Q_OBJECT
public:
    explicit PictureView(QWidget *parent = nullptr) : QWidget(parent) {}
    // The pixels drawn.
    const QImage &picture() const { return m_picture; }
    // The size the picture stands for.
    QSize pictureSize() const { return m_size; }
    // An empty size stands for the picture's own.
    void setPicture(const QImage &picture, const QSize &size = QSize());
    // A sharper decode of one part of the picture, drawn over it: `part` is
    // where it lies in the whole picture, whose size is `whole` (the
    // picture's own, not the zoomed size). Kept across zoom steps, drawn at
    // each one's scale, until replaced or cleared.
    void setDetail(const QImage &detail, const QRect &part, const QSize &whole);
    void clearDetail();
    const QImage &detail() const { return m_detail; }
    QRect detailPart() const { return m_detailPart; }
    // The rectangle, within the control, that the picture is drawn in.
    static QRect drawRect(const QSize &picture, const QSize &control);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
    QSize m_size;
    QImage m_detail;
    QRect m_detailPart;
    QSize m_detailWhole;
};
