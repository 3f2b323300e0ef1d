#pragma once
// The new album dialog: asks for the name and the optional password of a new
// album, refuses a name an album already has, and makes the album (the name
// and the password trimmed) as it closes.

#include "DialogBase.h"

class QLineEdit;

class NewAlbumDialog : public DialogBase
{
    Q_OBJECT
public:
    explicit NewAlbumDialog(AlbumLibrary &library, QWidget *owner = nullptr);

    void createAlbum();
    void closeWithoutAlbum();

    QLineEdit *nameEdit = nullptr;
    QLineEdit *passwordEdit = nullptr;
    QPushButton *createButton = nullptr;
    QPushButton *closeButton = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
