#pragma once
// The main window: title bar with the menu buttons and the link, the album
// tree on the left, the viewer, and the navigation bar at the bottom.

#include "AlbumChooser.h"
#include "MenuButton.h"
#include "PictureView.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

class AlbumLibrary;
class PictureLoader;
class PicturePrefetch;
class QPrinter;
class QFrame;
class QToolButton;
class QLineEdit;
class QGroupBox;
class QLabel;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;
class QIcon;
class QAction;
class QMenu;

class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // Opens the album store at storePath; when that fails the error has been
    // shown and storeOpened() is false: the program must end.
    MainWindow(AlbumLibrary &library, const QString &storePath, QWidget *parent = nullptr);
    ~MainWindow() override;

    bool storeOpened() const { return m_storeOpened; }
    // Tells the user that the store is damaged and is written no more.
    void tellStoreDamaged();

    // Places the navigation buttons, the menu buttons and the link after a
    // change of size.
    void arrangePanels();

    // ---- album tree
    // Clears the tree and fills root, albums and pictures from the store.
    // Every album starts closed; the keys of the albums named are kept (they
    // are about to be opened again).
    void buildAlbumTree(const QStringList &keepKeysOf = QStringList());
    // Rebuilds the tree, then opens the albums that were open and selects
    // the node that was selected.
    void rebuildAlbumTreeKeepingView();
    // Appends an album node under the root.
    void addAlbumNode(const QString &name);
    // Sets the image a node shows for its level and state.
    void updateNodeImage(QTreeWidgetItem *node);
    // Asks a protected album's password before letting it expand.
    void guardAlbumExpansion(QTreeWidgetItem *node);
    // Moves a selection hidden by the collapse to the collapsed node.
    void nodeCollapsed(QTreeWidgetItem *node);
    // Shows what the new selection shows.
    void showSelectedNode();
    // Opens the label editor on a picture node to rename it.
    void beginRename(QTreeWidgetItem *node);
    void renameEditorOpened(QTreeWidgetItem *node);
    void applyRename(QTreeWidgetItem *node, const QString &text);
    void refreshTree();

    enum class NodeLevel { None, Root, Album, Picture };
    static NodeLevel levelOf(const QTreeWidgetItem *node);
    // The index into nodeImages of the image a node shows.
    static int imageIndex(const QTreeWidgetItem *node);
    static constexpr int ImageIndexRole = Qt::UserRole + 1;

    // ---- picture commands
    void showPreviousPicture();
    void showNextPicture();
    void savePictureAs();
    void renameSelectedPicture();
    void deleteSelectedPicture();
    void printPicture();
    // Paints the shown picture, at full resolution and turned as shown, on
    // the printer's page.
    void printPictureTo(QPrinter *printer);
    void setWallpaperCentred();
    void setWallpaperTiled();
    void setWallpaperStretched();
    // The tree's full top-to-bottom order, collapsed branches included.
    static QTreeWidgetItem *nextNode(QTreeWidgetItem *node);
    static QTreeWidgetItem *previousNode(QTreeWidgetItem *node);
    // The file the save-as command writes for the name chosen in its
    // dialog: the name with ".jpg" added unless it already ends in .jpg or
    // .jpeg, in any letter case.
    static QString joinSaveName(const QString &chosen);
    // Runs the save dialog; the chosen file, or empty when cancelled.
    QString runSaveDialog();

    // ---- dialogs
    void newAlbum();
    void importPictures();
    // The import dialog with these files listed (files opened with the
    // program from the desktop).
    void importPictureFiles(const QStringList &files);
    void exportAlbum();
    void compactAlbumStore();
    void backUpAlbumStore();
    void setAlbumPasswordCommand();
    // Imports an earlier version's album store: the file chooser, then the
    // import with its progress and summary; the tree shows the new albums.
    void importLegacyStore();
    void importLegacyStoreFile(const QString &file);
    void changeAlbumPasswordCommand();
    void showAbout();
    // The store the window opened.
    const QString &storePath() const { return m_storePath; }

    // ---- search bar
    void placeSearchBar();
    void refillSearchAlbums();
    void searchPicture();
    // The node of an album's picture; null when the tree does not hold it.
    QTreeWidgetItem *findPictureNode(const QString &album, const QString &picture) const;
    QWidget *searchBar = nullptr;
    AlbumChooser *searchAlbumChooser = nullptr;
    QLineEdit *searchNameEdit = nullptr;
    QToolButton *searchButton = nullptr;

    // ---- menus and commands
    void openFunctionMenu();
    void openHelpMenu();
    void toggleSearchBarFromTitle();
    void functionMenuAboutToShow();
    void functionMenuClosed();
    void helpMenuAboutToShow();
    void helpMenuClosed();
    void deleteSelectedAlbum();
    void toggleAlbumList();
    void toggleSearchBar();
    // Shows the search bar, ready for a name to be typed.
    void showSearchBarForTyping();
    void exitProgram();
    void openWebLog();
    // The command of that object name (newAlbumAction ... refreshAction),
    // shared by every menu showing it.
    QAction *action(const char *name) const;

    QMenu *functionMenu = nullptr;
    QMenu *helpMenu = nullptr;
    QMenu *treeMenu = nullptr;

    // ---- viewer
    // Starts decoding a stored picture (of that album, under that name) off
    // the window's thread; once decoded it is shown as loaded (it becomes
    // loadedPicture), fitted and centred, and becomes the tree's selection;
    // a decoder error is reported and leaves the viewer as it was. Passes
    // store errors on.
    void loadPicture(int pictureId, const QString &album, const QString &name);
    bool isLoadingPicture() const;
    // The shown picture decoded at its own resolution (decoded off the
    // window's thread when it is not at hand). Throws on a decoder error.
    QImage fullResolution();
    // What the viewer shows, at the picture's own resolution: what save as
    // and the wallpaper write.
    QImage pictureAsShown();
    // Drops every picture decoded ahead: one of them may no longer be what
    // the store holds.
    void forgetDecodedPictures();
    // Drops everything decoded or read of an album's pictures (those decoded
    // ahead, the one shown, their bytes): the album was closed.
    void dropPicturesOf(const QString &album);
    PicturePrefetch *picturePrefetch() const { return m_prefetch; }
    void fitImage(PictureView *image);
    void centerImage(PictureView *image);
    void viewerResized();
    void zoomIn();
    void zoomOut();
    void showActualSize();
    void turnClockwise();
    void turnCounterClockwise();

    // ---- state
    bool zoomed = false;
    QString oldPictureName;
    QTreeWidgetItem *currentAlbumNode = nullptr;
    QList<QPixmap> nodeImages;
    // The picture last shown from the tree or the search, as loaded: the
    // source of every zoom.
    QImage loadedPicture;

    // ---- designed controls
    QWidget *titleBar = nullptr;
    QLabel *titleBanner = nullptr;
    QWidget *menuButtons = nullptr;
    MenuButton *functionMenuButton = nullptr;
    MenuButton *helpMenuButton = nullptr;
    MenuButton *searchMenuButton = nullptr;
    QLabel *webLogLink = nullptr;
    QWidget *navigationBar = nullptr;
    QLabel *navigationBanner = nullptr;
    QWidget *navigationButtons = nullptr;
    QToolButton *actualSizeButton = nullptr;
    QToolButton *turnLeftButton = nullptr;
    QToolButton *turnRightButton = nullptr;
    QToolButton *previousButton = nullptr;
    QToolButton *nextButton = nullptr;
    QToolButton *zoomInButton = nullptr;
    QToolButton *zoomOutButton = nullptr;
    QToolButton *deleteButton = nullptr;
    QToolButton *saveButton = nullptr;
    QToolButton *printButton = nullptr;
    QFrame *turnSeparator = nullptr;
    QFrame *zoomSeparator = nullptr;
    QFrame *stepSeparator = nullptr;
    QFrame *fileSeparator = nullptr;
    QGroupBox *albumListPanel = nullptr;
    QWidget *albumTreeBox = nullptr;
    QTreeWidget *albumTree = nullptr;
    QSplitter *splitter = nullptr;
    QWidget *viewerPanel = nullptr;
    QFrame *searchPanel = nullptr;
    QWidget *viewer = nullptr;
    PictureView *pictureView = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createWindow(const QString &storePath);
    void createTitleBar();
    void createNavigationBar();
    void createClientArea();
    QToolButton *navButton(const char *name, int left, const char *glyph, const QString &hint);
    QFrame *navSeparator(const char *name, int left);
    void holdOuterSize();
    QPixmap menuGlyph(int index) const;
    void createTreeHandlers();
    void createMenus();
    void createSearchBar();
    void createShortcuts();
    // The wheel over the viewer: with Ctrl it zooms, else it scrolls a
    // zoomed picture.
    void viewerWheel(QWheelEvent *event);
    QAction *addCommand(QMenu *menu, const char *name, const QString &caption, void (MainWindow::*handler)());
    void setMenuGlyph(MenuButton *button, int index);
    // Selects node without auto-expanding it, then removes remove if given.
    void selectByCode(QTreeWidgetItem *node, QTreeWidgetItem *remove = nullptr);
    // Takes the node of a deleted picture or album out of the tree: the
    // selection goes to the next one, or to the parent after the last, and a
    // parent left empty closes.
    void removeDeletedNode(QTreeWidgetItem *node);
    void setWallpaper(int style, int tile);
    // Makes the picture on screen the tree's selection, its album opened
    // without asking again, the viewer left as it is.
    void selectShownPicture();
    // The node of the picture a command on "the picture shown" acts on: the
    // one on screen; with none on screen, the tree's selected picture.
    QTreeWidgetItem *commandPictureNode() const;
    // Drops the sharper decodes made for the picture on screen.
    void dropZoomDecodes();
    void pictureLoaded(const QImage &picture);
    void pictureFailed(const QString &error);
    void zoomSourceLoaded(const QImage &picture);
    // The size a picture of that size is drawn at in the viewer now.
    QSize shownSizeOf(const QSize &picture) const;
    // Decodes the previous and next pictures of the shown one ahead.
    void prefetchNeighbours();
    // The decode to draw a picture shown at that size from; asks for a
    // sharper one when none at hand is sharp enough.
    QImage zoomSourceFor(const QSize &shown);
    // Zoomed past what a whole decode may hold, the part of the picture on
    // screen is decoded on its own, sharp; asked for again when a scroll or
    // a zoom leaves what is at hand.
    void updateDetail();
    void dropDetail();
    // Asks a protected album's password as the tree does; true when the
    // right one was given (a wrong one is told, an empty one is not).
    bool albumPasswordGiven(const QString &album);
    void expandGuarded(QTreeWidgetItem *node, bool expand);
    void setImage(QTreeWidgetItem *node, int index);
    void turn(bool clockwise);
    void zoom(long double factor);
    // The loaded picture's size at the scale it is shown now, times factor.
    QSize zoomedSize(long double factor) const;

    AlbumLibrary &m_library;
    QList<QIcon> m_icons;
    bool m_expandGuard = false;
    bool m_selectingByCode = false;
    // Set while the selection moves to a picture already on screen.
    bool m_keepViewer = false;
    // Quarter turns clockwise of the shown picture against loadedPicture.
    int m_quarterTurns = 0;
    QString m_lastSaveFile;
    QString m_storePath;

    bool m_storeOpened = false;
    PictureLoader *m_loader = nullptr;
    PictureLoader *m_zoomLoader = nullptr;
    PicturePrefetch *m_prefetch = nullptr;
    // A stored picture: which one, its stored bytes, its size upright, and
    // the scale it is decoded at.
    struct ShownPicture
    {
        int pictureId = -1;
        QString album;
        QString name;
        QByteArray data;
        QSize size;
        int scale = 1;
    };
    // The picture on screen (loadedPicture), and the one being decoded to
    // replace it. Only a decode that reaches the screen makes it the shown
    // one, whatever way it took: every command on the shown picture follows
    // what the user sees.
    ShownPicture m_shown;
    ShownPicture m_pending;
    // A sharper decode of the shown picture, for a zoom past loadedPicture.
    QImage m_zoomSource;
    int m_zoomRequestScale = 0;
    PictureLoader *m_detailLoader = nullptr;
    // The part of the picture (in its own pixels) decoded or being decoded
    // for the view, and at how many eighths of its size.
    QRect m_detailPart;
    int m_detailEighths = 0;
    bool m_outerSizeHeld = false;
};
