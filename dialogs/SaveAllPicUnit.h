#pragma once
// The album export dialog: every picture of a chosen album is written, as
// the file it was imported from, into a folder named after the album inside
// a chosen folder.

#include "DialogBase.h"

class QLineEdit;
class QStatusBar;
class QToolButton;

class TSaveAllPicForm : public TDialogBase
{
    Q_OBJECT
public:
    explicit TSaveAllPicForm(QWidget *owner = nullptr);

    void LibComDropDown();
    void LibComChange();
    void spSkinSpeedButton1Click(); // choose the target folder
    void spSkinButton2Click();      // start export
    void spSkinButton1Click();      // close

    // The folder an album is exported into: the target folder, trimmed,
    // then the album name. Empty when the album name cannot be a folder
    // name inside it.
    static QString ExportFolder(const QString &target, const QString &album);
    // Runs the folder chooser; the chosen folder, or empty text.
    QString RunSelectPicDir();

    TAlbumCombo *LibCom = nullptr;
    QLineEdit *SaveToDirEdit = nullptr;
    QToolButton *spSkinSpeedButton1 = nullptr;
    QPushButton *spSkinButton2 = nullptr;
    QPushButton *spSkinButton1 = nullptr;
    QStatusBar *spSkinStatusBar1 = nullptr;
    QLabel *LibTool = nullptr;
    QLabel *process = nullptr;

private:
    void run(const QString &folder, int albumId);

    QString m_lastFolder;
};
