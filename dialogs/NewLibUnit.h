#pragma once
// The new album dialog: asks for the name and the optional password of a new
// album, refuses a name an album already has, and hands both back trimmed.

#include "DialogBase.h"

class QLineEdit;

class TNewLibForm : public TDialogBase
{
    Q_OBJECT
public:
    explicit TNewLibForm(QWidget *owner = nullptr);

    // The results, read after the dialog has closed: empty unless an album
    // may be created.
    QString NewLibName;
    QString NewLibPass;

    void NewLibBtnClick();
    void LibOutBtnClick();

    QLineEdit *LibName = nullptr;
    QLineEdit *LibPass = nullptr;
    QPushButton *NewLibBtn = nullptr;
    QPushButton *LibOutBtn = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
};
