#pragma once
// The backup store dialog: copies the album store file to a file the user
// chooses, never replacing one.

#include "DialogBase.h"

class QLineEdit;
class QToolButton;

class TBackupForm : public TDialogBase
{
    Q_OBJECT
public:
    explicit TBackupForm(const QString &storePath, QWidget *owner = nullptr);

    void spSkinSpeedButton1Click(); // "..."
    void BackupBtnClick();
    void spSkinButton1Click(); // close
    // Runs the save dialog; the chosen file, or empty text.
    QString RunSaveDBDlg();

    QLineEdit *DirEdit = nullptr;
    QToolButton *spSkinSpeedButton1 = nullptr;
    QPushButton *BackupBtn = nullptr;
    QPushButton *spSkinButton1 = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QString m_storePath;
    QString m_lastFile;
};
