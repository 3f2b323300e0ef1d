#pragma once
// The change album password dialog: replaces a protected album's password
// once the old one is given; new entries left empty remove the protection.

#include "DialogBase.h"

class QLineEdit;

class TModPassForm : public TDialogBase
{
    Q_OBJECT
public:
    explicit TModPassForm(QWidget *owner = nullptr);

    void LibComDropDown();
    void spSkinButton2Click(); // change
    void spSkinButton1Click(); // close

    TAlbumCombo *LibCom = nullptr;
    QLineEdit *OldPass = nullptr;
    QLineEdit *Newpass1 = nullptr;
    QLineEdit *Newpass2 = nullptr;
    QPushButton *spSkinButton2 = nullptr;
    QPushButton *spSkinButton1 = nullptr;
};
