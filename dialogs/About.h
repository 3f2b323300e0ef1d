#pragma once
// The About box: the program's name and version, and the maker's lines.

#include "DialogBase.h"

class QTabWidget;

class TAboutForm : public TDialogBase
{
    Q_OBJECT
public:
    explicit TAboutForm(QWidget *owner = nullptr);

    void spSkinStdLabel7Click();

    QTabWidget *spSkinPageControl1 = nullptr;
    QLabel *spSkinStdLabel7 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
