// The picture viewer: placing the image control, zoom, actual size and the
// quarter turns.

#include "ImageOps.h"
#include "MainUnit.h"
#include "PicDMUnit.h"

void TMainForm::ShowPicture(int pictureId)
{
    // Decoded first: when that fails, the viewer and WorkBitmap are left
    // as they were.
    QImage picture;
    PicDM->LoadPicture(&picture, pictureId);
    MainImage->SetPicture(picture);
    PicDM->WorkBitmap = picture;
    FitImage(MainImage);
    CenterImage(MainImage);
}

void TMainForm::FitImage(TImageControl *image)
{
    if (Zoomed)
        return;
    image->resize(PicSroll->width() - 80, PicSroll->height());
}

void TMainForm::CenterImage(TImageControl *image)
{
    image->move((PicSroll->width() - image->width()) / 2, (PicSroll->height() - image->height()) / 2);
}

void TMainForm::PicSrollResize()
{
    FitImage(MainImage);
    CenterImage(MainImage);
}

// Zoom, actual size and the turns do nothing while the viewer is empty:
// there is nothing on screen for them to act on.

void TMainForm::zoom(long double factor)
{
    QImage zoomed;
    // A zoom too large to hold is refused and the command does nothing.
    if (!PicDM->ZoomImage(MainImage->size(), factor, factor, &zoomed))
        return;
    MainImage->resize(zoomed.size());
    MainImage->SetPicture(zoomed);
    CenterImage(MainImage);
}

void TMainForm::N17Click()
{
    if (MainImage->Picture().isNull())
        return;
    const QSize size = ImageOps::ZoomSize(MainImage->size(), 1.1L, 1.1L);
    if (!ImageOps::ZoomAllowed(size))
        return;
    Zoomed = true;
    zoom(1.1L);
}

void TMainForm::N18Click()
{
    if (MainImage->Picture().isNull())
        return;
    Zoomed = true;
    if (MainImage->Picture().width() < 50)
        return;
    zoom(0.9L);
}

void TMainForm::N35Click()
{
    if (MainImage->Picture().isNull())
        return;
    Zoomed = false;
    FitImage(MainImage);
    CenterImage(MainImage);
    MainImage->SetPicture(PicDM->WorkBitmap);
}

void TMainForm::turn(bool clockwise)
{
    QImage picture = MainImage->Picture();
    if (picture.isNull())
        return;
    ImageOps::RotateQuarter(picture, clockwise);
    MainImage->SetPicture(picture);
}

void TMainForm::N901Click() { turn(true); }
void TMainForm::N902Click() { turn(false); }
