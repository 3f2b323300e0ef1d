#pragma once
// The set album password dialog: gives an album without a password one.
// It stays open for several albums in a row.

#include "DialogBase.h"

class QLineEdit;

class TSetpassForm : public TDialogBase
{
    Q_OBJECT
public:
    explicit TSetpassForm(QWidget *owner = nullptr);

    void LibComDropDown();
    void spSkinButton1Click(); // set
    void spSkinButton3Click(); // close

    TAlbumCombo *LibCom = nullptr;
    QLineEdit *passEdit1 = nullptr;
    QLineEdit *passEdit2 = nullptr;
    QPushButton *spSkinButton1 = nullptr;
    QPushButton *spSkinButton3 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
