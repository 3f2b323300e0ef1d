#pragma once
// The picture import dialog: picture files are collected in a list, at most
// 50 at a time, and imported into a chosen album, each stored unchanged.

#include "DialogBase.h"

class QListWidget;
class QProgressBar;
class QStatusBar;

class TexportPic : public TDialogBase
{
    Q_OBJECT
public:
    explicit TexportPic(QWidget *owner = nullptr);

    // True once a run has stored every listed picture.
    bool Imported = false;
    // True when any picture was stored while the dialog was open.
    bool AnyImported = false;

    static constexpr int MaxFiles = 50;

    void LibComDropDown();
    void LibComChange();
    void spSkinButton1Click(); // choose pictures
    void spSkinButton4Click(); // delete a list item
    void spSkinButton5Click(); // clear the list
    void exportBtnClick();     // start import
    void spSkinButton3Click(); // close

    // Adds files to the list under the 50-file rule; false (with the
    // warning shown) when they would not fit. The chooser and dropped files
    // come through here.
    bool AddFiles(const QStringList &paths);
    // Runs the picture chooser; the chosen files, or an empty list.
    QStringList RunPicDlg();

    TAlbumCombo *LibCom = nullptr;
    QListWidget *PicList = nullptr;
    QPushButton *spSkinButton1 = nullptr;
    QPushButton *spSkinButton4 = nullptr;
    QPushButton *spSkinButton5 = nullptr;
    QPushButton *exportBtn = nullptr;
    QPushButton *spSkinButton3 = nullptr;
    QStatusBar *statool = nullptr;
    QLabel *LibTool = nullptr;
    QLabel *CountTool = nullptr;
    QProgressBar *processtool = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void setStatus(const QString &prefix, bool withAlbum);

    QString m_lastPicture;
};
