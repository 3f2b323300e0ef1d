#include "AlbumChooser.h"

#include "AlbumLibrary.h"
#include "Artwork.h"
#include "TextRules.h"

AlbumChooser::AlbumChooser(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    setMaxVisibleItems(8);
    setIconSize(QSize(16, 16));
    m_icon = QIcon(Artwork::imageList().value(5));
}

void AlbumChooser::fill(const QString &placeholder, const QStringList &albums)
{
    clear();
    addItem(m_icon, placeholder);
    for (const QString &album : albums)
        addItem(m_icon, album);
    setCurrentIndex(0);
}

void AlbumChooser::showPopup()
{
    emit dropDown();
    QComboBox::showPopup();
}

void refillAlbumChooser(AlbumLibrary &library, AlbumChooser *combo, const QString &placeholder)
{
    combo->fill(placeholder, library.albums());
}

QString chosenAlbum(const AlbumChooser *combo, const QString &placeholder)
{
    const QString album = trimText(combo->currentText());
    return album == placeholder ? QString() : album;
}
