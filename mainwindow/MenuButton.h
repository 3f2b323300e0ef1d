#pragma once

#include <QToolButton>

// A flat title-bar button: glyph and caption side by side, 8 pixels apart,
// centred together.
class MenuButton : public QToolButton
{
    Q_OBJECT
public:
    explicit MenuButton(QWidget *parent = nullptr) : QToolButton(parent) {}
    // The index into the shared image list of the glyph shown.
    int glyphIndex = 0;

protected:
    void paintEvent(QPaintEvent *event) override;
};
