#pragma once
// The backup store dialog: copies the album store file to a file the user
// chooses, never replacing one.

#include "DialogBase.h"

class QLineEdit;
class QToolButton;

class BackupStoreDialog : public DialogBase
{
    Q_OBJECT
public:
    BackupStoreDialog(AlbumLibrary &library, const QString &storePath, QWidget *owner = nullptr);

    void chooseTarget();
    void startBackup();
    void closeDialog();
    // Runs the save dialog; the chosen file, or empty text.
    QString runTargetChooser();

    QLineEdit *targetEdit = nullptr;
    QToolButton *browseButton = nullptr;
    QPushButton *backupButton = nullptr;
    QPushButton *closeButton = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QString m_storePath;
    QString m_lastFile;
};
