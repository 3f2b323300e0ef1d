#pragma once
// The main window: title bar with the menu buttons and the link, the album
// tree on the left, the viewer, and the navigation bar at the bottom.

#include <QImage>
#include <QPixmap>
#include <QToolButton>
#include "DialogBase.h"

#include <QWidget>

class QFrame;
class QLineEdit;
class QGroupBox;
class QLabel;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;
class QIcon;
class QAction;
class QMenu;
class QUrl;

// A flat title-bar button: glyph and caption side by side, 8 pixels apart,
// centred together.
class TMenuButton : public QToolButton
{
    Q_OBJECT
public:
    explicit TMenuButton(QWidget *parent = nullptr) : QToolButton(parent) {}
    // The index into the shared image list of the glyph shown.
    int GlyphIndex = 0;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A picture drawn scaled down proportionally when larger than the control,
// never enlarged, and centred in it.
class TImageControl : public QWidget
{
    Q_OBJECT
public:
    explicit TImageControl(QWidget *parent = nullptr) : QWidget(parent) {}
    const QImage &Picture() const { return m_picture; }
    void SetPicture(const QImage &picture);
    // The rectangle, within the control, that the picture is drawn in.
    static QRect DrawRect(const QSize &picture, const QSize &control);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
};

// The save-picture dialog: JPEG files only, ".jpg" added to a name typed
// without an extension, no question before replacing a file, and a preview
// of the picture file selected in it.
class TSavePicDlg : public TPreviewFileDialog
{
    Q_OBJECT
public:
    TSavePicDlg(const QString &start, QWidget *parent = nullptr);
};

class TMainForm : public QWidget
{
    Q_OBJECT
public:
    // Opens the album store at storePath; when that fails the error has been
    // shown and StoreOpened() is false: the program must end.
    explicit TMainForm(const QString &storePath, QWidget *parent = nullptr);
    ~TMainForm() override;

    // <folder of the executable>/date/pdate.pdb
    static QString DefaultStorePath();

    bool StoreOpened() const { return m_storeOpened; }

    // Places NavPanle, MenuPanle and quilbonet after a change of size.
    void ArrangePanels();

    // ---- album tree
    // Clears the tree and fills root, albums and pictures from the store.
    void BuildLibTree();
    // Appends an album node under the root.
    void AddLibNode(const QString &name);
    void PicLibViewGetImageIndex(QTreeWidgetItem *node);
    // Asks a protected album's password before letting it expand.
    void PicLibViewExpanding(QTreeWidgetItem *node);
    // Shows what the new selection shows.
    void PicLibViewChange();
    // Opens the label editor on a picture node to rename it.
    void BeginRename(QTreeWidgetItem *node);
    void PicLibViewEditing(QTreeWidgetItem *node);
    void PicLibViewEdited(QTreeWidgetItem *node, const QString &text);
    void N47Click(); // refresh

    enum class NodeLevel { None, Root, Album, Picture };
    static NodeLevel LevelOf(const QTreeWidgetItem *node);
    // The index into ImageList1 of the image a node shows.
    static int ImageIndex(const QTreeWidgetItem *node);
    static constexpr int ImageIndexRole = Qt::UserRole + 1;

    // ---- picture commands
    void N20Click(); // previous picture
    void N21Click(); // next picture
    void N10Click(); // save as
    void N9Click();  // rename
    void N8Click();  // delete picture
    void N11Click(); // print
    void N24Click(); // wallpaper centred
    void N25Click(); // wallpaper tiled
    void N26Click(); // wallpaper stretched
    // The tree's full top-to-bottom order, collapsed branches included.
    static QTreeWidgetItem *NextNode(QTreeWidgetItem *node);
    static QTreeWidgetItem *PreviousNode(QTreeWidgetItem *node);
    // The file the save-as command writes for the name chosen in its
    // dialog: the name with ".jpg" added unless it already ends in .jpg or
    // .jpeg, in any letter case.
    static QString JoinSaveName(const QString &chosen);
    // Runs the save dialog; the chosen file, or empty when cancelled.
    QString RunSavePicDlg();

    // ---- dialogs
    void N1Click(); // new album
    void N4Click(); // import pictures
    void N5Click();  // export an album
    void N28Click(); // compact the store
    void N29Click(); // back up the store
    void N30Click(); // set an album's password
    void N31Click(); // change an album's password
    void N7Click();  // about
    // The store the window opened.
    const QString &StorePath() const { return m_storePath; }

    // ---- search bar
    void MainSearcPanleResize();
    void SearcComDropDown();
    void SearcBtnClick();
    QWidget *SearcPanle = nullptr;
    TAlbumCombo *SearcCom = nullptr;
    QLineEdit *SearcEdit = nullptr;
    QToolButton *SearcBtn = nullptr;

    // ---- menus and commands
    void UserMenuMouseDown();
    void HelpMenuClick();
    void SearcMenuClick();
    void Menu1Popup();
    void Menu1MenuClose();
    void Menu2Popup();
    void Menu2MenuClose();
    void N2Click();  // delete album
    void N14Click(); // show or hide the album list
    void N34Click(); // show or hide the search bar
    void N33Click(); // exit
    void quilbonetClick();
    // The command of that name (N1 ... N47), shared by every menu showing it.
    QAction *Action(const char *name) const;

    QMenu *Menu1 = nullptr;
    QMenu *Menu2 = nullptr;
    QMenu *LeftMenu = nullptr;

    // ---- viewer
    // Shows a stored picture as loaded (it becomes WorkBitmap), fitted and
    // centred. Passes store and decoder errors on.
    void ShowPicture(int pictureId);
    void FitImage(TImageControl *image);
    void CenterImage(TImageControl *image);
    void PicSrollResize();
    void N17Click();  // zoom in
    void N18Click();  // zoom out
    void N35Click();  // actual size
    void N901Click(); // turn clockwise
    void N902Click(); // turn counter-clockwise

    // ---- state
    bool Zoomed = false;
    QString OldPicName;
    QTreeWidgetItem *CurLibNode = nullptr;
    QList<QPixmap> ImageList1;

    // ---- designed controls
    QWidget *TitlePanle = nullptr;
    QLabel *Image5 = nullptr;
    QWidget *MenuPanle = nullptr;
    TMenuButton *UserMenu = nullptr;
    TMenuButton *HelpMenu = nullptr;
    TMenuButton *SearcMenu = nullptr;
    QLabel *quilbonet = nullptr;
    QWidget *spSkinPanel3 = nullptr;
    QLabel *Image2 = nullptr;
    QWidget *NavPanle = nullptr;
    QToolButton *spSkinSpeedButton1 = nullptr;
    QToolButton *spSkinSpeedButton2 = nullptr;
    QToolButton *spSkinSpeedButton3 = nullptr;
    QToolButton *spSkinSpeedButton4 = nullptr;
    QToolButton *spSkinSpeedButton5 = nullptr;
    QToolButton *spSkinSpeedButton6 = nullptr;
    QToolButton *spSkinSpeedButton7 = nullptr;
    QToolButton *spSkinSpeedButton8 = nullptr;
    QToolButton *spSkinSpeedButton9 = nullptr;
    QToolButton *spSkinSpeedButton10 = nullptr;
    QFrame *spSkinBevel1 = nullptr;
    QFrame *spSkinBevel2 = nullptr;
    QFrame *spSkinBevel3 = nullptr;
    QFrame *spSkinBevel4 = nullptr;
    QGroupBox *PicListGroup = nullptr;
    QWidget *spSkinScrollBox1 = nullptr;
    QTreeWidget *PicLibView = nullptr;
    QSplitter *Splitter1 = nullptr;
    QWidget *spSkinPanel1 = nullptr;
    QFrame *MainSearcPanle = nullptr;
    QWidget *PicSroll = nullptr;
    TImageControl *MainImage = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate(const QString &storePath);
    void FormResize();
    void createTitleBar();
    void createNavigationBar();
    void createClientArea();
    QToolButton *navButton(const char *name, int left, const char *glyph, const QString &hint);
    QFrame *navBevel(const char *name, int left);
    void holdOuterSize();
    QPixmap menuGlyph(int index) const;
    void createTreeHandlers();
    void createMenus();
    void createSearchBar();
    QAction *addCommand(QMenu *menu, const char *name, const QString &caption, void (TMainForm::*handler)());
    QAction *addSeparator(QMenu *menu, const char *name);
    void setMenuGlyph(TMenuButton *button, int index);
    // Selects node without auto-expanding it, then removes remove if given.
    void selectByCode(QTreeWidgetItem *node, QTreeWidgetItem *remove = nullptr);
    void setWallpaper(int style, int tile);
    // Asks a protected album's password as the tree does; true when the
    // right one was given (a wrong one is told, an empty one is not).
    bool albumPasswordGiven(const QString &album);
    void expandGuarded(QTreeWidgetItem *node, bool expand);
    void setImage(QTreeWidgetItem *node, int index);
    void turn(bool clockwise);
    void zoom(long double factor);

    QList<QIcon> m_icons;
    bool m_expandGuard = false;
    bool m_selectingByCode = false;
    QString m_lastSaveFile;
    QString m_storePath;

    bool m_storeOpened = false;
    bool m_outerSizeHeld = false;
};
