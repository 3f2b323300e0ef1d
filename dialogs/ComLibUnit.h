#pragma once
// The compact store dialog: compacts the album store file and tells how it
// went.

#include "DialogBase.h"

class QProgressBar;

class TComLibForm : public TDialogBase
{
    Q_OBJECT
public:
    // storePath: the store the program has open.
    explicit TComLibForm(const QString &storePath, QWidget *owner = nullptr);

    void startBtnClick();

    QProgressBar *process = nullptr;
    QPushButton *startBtn = nullptr;

private:
    QString m_storePath;
};
