#pragma once
// The change album password dialog: replaces a protected album's password
// once the old one is given; new entries left empty remove the protection.

#include "DialogBase.h"

class QLineEdit;

class ChangeAlbumPasswordDialog : public DialogBase
{
    Q_OBJECT
public:
    explicit ChangeAlbumPasswordDialog(AlbumLibrary &library, QWidget *owner = nullptr);

    void albumListOpening();
    void changePassword();
    void closeDialog();

    AlbumChooser *albumChooser = nullptr;
    QLineEdit *oldPasswordEdit = nullptr;
    QLineEdit *newPasswordEdit = nullptr;
    QLineEdit *confirmEdit = nullptr;
    QPushButton *changeButton = nullptr;
    QPushButton *closeButton = nullptr;
};
