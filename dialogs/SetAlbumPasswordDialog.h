#pragma once
// The set album password dialog: gives an album without a password one.
// It stays open for several albums in a row.

#include "DialogBase.h"

class QLineEdit;

class SetAlbumPasswordDialog : public DialogBase
{
    Q_OBJECT
public:
    explicit SetAlbumPasswordDialog(AlbumLibrary &library, QWidget *owner = nullptr);

    void albumListOpening();
    void setPassword();
    void closeDialog();

    AlbumChooser *albumChooser = nullptr;
    QLineEdit *passwordEdit = nullptr;
    QLineEdit *confirmEdit = nullptr;
    QPushButton *setButton = nullptr;
    QPushButton *closeButton = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
