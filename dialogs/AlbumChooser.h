#pragma once
// The album chooser of the dialogs and the search bar.

#include <QComboBox>
#include <QIcon>

// An album chooser: a fixed list, each entry with the album icon. Opening
// the list first emits dropDown(), so that its owner can refill it; a choice
// made by the user emits activated().
class AlbumChooser : public QComboBox
{
    Q_OBJECT
public:
    explicit AlbumChooser(QWidget *parent = nullptr);
    // Clears the list to the placeholder, chosen, followed by the albums.
    void fill(const QString &placeholder, const QStringList &albums);
    void showPopup() override;

signals:
    void dropDown();

private:
    QIcon m_icon;
};

class AlbumLibrary;

// Refills an album chooser from the library: the placeholder, chosen, then
// every album. Passes store errors on.
void refillAlbumChooser(AlbumLibrary &library, AlbumChooser *combo, const QString &placeholder);
// The album chosen, trimmed; empty for none (the placeholder).
QString chosenAlbum(const AlbumChooser *combo, const QString &placeholder);
