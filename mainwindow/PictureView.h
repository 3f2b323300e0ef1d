#pragma once

#include <QImage>
#include <QWidget>

// A picture drawn scaled down proportionally when larger than the control,
// never enlarged, and centred in it.
class PictureView : public QWidget
{
    Q_OBJECT
public:
    explicit PictureView(QWidget *parent = nullptr) : QWidget(parent) {}
    const QImage &picture() const { return m_picture; }
    void setPicture(const QImage &picture);
    // The rectangle, within the control, that the picture is drawn in.
    static QRect drawRect(const QSize &picture, const QSize &control);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
};
