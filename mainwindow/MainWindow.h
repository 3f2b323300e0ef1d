#pragma once
// The main window: a shell of layout, menus and actions over the album
// tree (a view of the library's albums) and the viewer (a widget of its
// own). The title bar carries the menu buttons and the link, the tree
// stands on the left, the search bar above the viewer, and the navigation
// bar at the bottom. Every command is one action, found by its object name;
// every widget is found by its object name too.

#include <QPixmap>
#include <QWidget>

class AlbumChooser;
class AlbumGridView;
class AlbumLibrary;
class AlbumThumbnails;
class AlbumTreeModel;
class AlbumTreeView;
class MenuButton;
class PictureViewer;
class QAction;
class QFrame;
class QGroupBox;
class QIcon;
class QLabel;
class QLineEdit;
class QMenu;
class QModelIndex;
class QRect;
class QSplitter;
class QStackedWidget;
class QTimer;
class QToolButton;

class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // Opens the album store at storePath; when that fails the error has been
    // shown and storeOpened() is false: the program must end.
    MainWindow(AlbumLibrary &library, const QString &storePath, QWidget *parent = nullptr);
    ~MainWindow() override;

    bool storeOpened() const { return m_storeOpened; }

    // The command of that object name (newAlbumAction ... refreshAction),
    // shared by every menu showing it.
    QAction *action(const char *name) const;

    // The import dialog with these files listed (files opened with the
    // program from the desktop).
    void importPictureFiles(const QStringList &files);
    // The import of an earlier version's album store from that file, with
    // its progress and summary.
    void importLegacyStoreFile(const QString &file);

    // The file the save-as command writes for the name chosen in its
    // dialog: the name with ".jpg" added unless it already ends in .jpg or
    // .jpeg, in any letter case.
    static QString joinSaveName(const QString &chosen);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Folders dropped on the window are imported as a folder is; files alone
    // go to the import dialog's list.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // ---- the frame (MainWindow.cpp)
    void createWindow(const QString &storePath);
    // A bar of the window's width: its banner drawn from the artwork, and a
    // transparent panel for its buttons.
    void createBannerBar(QWidget *&bar, QLabel *&banner, QWidget *&buttons, const char *name, int height,
                         const QString &artwork, const QRect &buttonsArea);
    void createTitleBar();
    void createClientArea();
    void createNavigationBar();
    QToolButton *navButton(const char *name, int left, const char *glyph, const QString &hint);
    QFrame *navSeparator(const char *name, int left);
    // Places the navigation buttons, the menu buttons and the link after a
    // change of size.
    void arrangePanels();
    void holdOuterSize();
    QPixmap menuGlyph(int index) const;
    void setMenuGlyph(MenuButton *button, int index);
    // Tells the user that the store is damaged and is written no more.
    void tellStoreDamaged();

    // ---- menus, actions and keys (MainWindowMenus.cpp)
    void createMenus();
    void createShortcuts();
    QAction *addCommand(QMenu *menu, const char *name, const QString &caption, void (MainWindow::*handler)());
    QAction *addViewerCommand(QMenu *menu, const char *name, const QString &caption, void (PictureViewer::*handler)());
    void openFunctionMenu();
    void openHelpMenu();
    void functionMenuAboutToShow();
    void toggleAlbumList();
    void toggleSearchBar();
    void toggleSearchBarFromTitle();
    // Shows the search bar, ready for a name to be typed.
    void showSearchBarForTyping();
    void exitProgram();
    void openGuide();

    // ---- the tree and the viewer, the commands on pictures
    //      (MainWindowPictures.cpp)
    // Shows what the current node shows: its picture, or nothing.
    void showCurrentNode(const QModelIndex &current);
    // Shows the album node's grid where the pictures are shown; an invalid
    // index shows the viewer again.
    void showGrid(const QModelIndex &album);
    // The line under the pictures: the shown picture's details, or the
    // album's on show as a grid.
    void showDetails();
    // Starts showing a stored picture; once on screen it becomes the tree's
    // selection.
    void showPicture(int pictureId, const QString &album, const QString &name);
    // Makes the picture on screen the tree's selection, its album opened
    // without asking again, the viewer left as it is.
    void selectShownPicture();
    // Decodes the previous and next pictures of the shown one ahead.
    void decodeNeighbours();
    // The node of the picture a command on "the picture shown" acts on: the
    // one on screen; with none on screen, the tree's selected picture.
    QModelIndex commandPictureNode() const;
    // Asks a protected album's password as the tree does; true when the
    // album may open (a wrong password is told, an empty one is not).
    bool openAlbum(const QString &album);
    void refreshTree();
    // On an empty store, the first steps where the pictures will be shown,
    // and the file that keeps them.
    void showFirstSteps();
    // The viewer alone on the whole screen, on black; F11 or Esc (or
    // closing that window) brings it back into the main window.
    void toggleFullScreen();
    void leaveFullScreen();
    // Full screen, the shown album's pictures one after the other from the
    // shown one, every few seconds, round to the first again; Space pauses,
    // the arrows step, Esc ends.
    void startSlideshow();
    void showNextSlide();
    void showPreviousPicture();
    void showNextPicture();
    // Steps from the picture a command acts on to the node before or after
    // it in the tree's order.
    void stepPicture(QModelIndex (*step)(const QModelIndex &));
    void savePictureAs();
    // Runs the save dialog; the chosen file, or empty when cancelled.
    QString runSaveDialog();
    void renameSelectedPicture();
    void deleteSelectedPicture();
    void printPicture();
    void setWallpaper(int style, int tile);
    void setWallpaperCentred();
    void setWallpaperTiled();
    void setWallpaperStretched();

    // ---- the dialogs (MainWindowDialogs.cpp)
    void newAlbum();
    void deleteSelectedAlbum();
    void importPictures();
    void importFolder();
    // The folder import with these folders and files (dropped on the window).
    void importFolderPaths(const QStringList &paths);
    void exportAlbum();
    void compactAlbumStore();
    void backUpAlbumStore();
    void importLegacyStore();
    void setAlbumPasswordCommand();
    void changeAlbumPasswordCommand();
    void showAbout();

    // ---- the search bar (MainWindowSearch.cpp)
    void createSearchBar();
    void placeSearchBar();
    void refillSearchAlbums();
    void searchPicture();

    AlbumLibrary &m_library;
    AlbumTreeModel *m_model = nullptr;
    QString m_storePath;
    bool m_storeOpened = false;
    bool m_outerSizeHeld = false;
    QString m_lastSaveFile;
    QList<QPixmap> m_nodeImages;

    QWidget *m_titleBar = nullptr;
    QLabel *m_titleBanner = nullptr;
    QWidget *m_menuButtons = nullptr;
    MenuButton *m_functionMenuButton = nullptr;
    MenuButton *m_helpMenuButton = nullptr;
    MenuButton *m_searchMenuButton = nullptr;
    QLabel *m_webLogLink = nullptr;
    QWidget *m_navigationBar = nullptr;
    QLabel *m_navigationBanner = nullptr;
    QWidget *m_navigationButtons = nullptr;
    QSplitter *m_splitter = nullptr;
    QGroupBox *m_albumListPanel = nullptr;
    AlbumTreeView *m_tree = nullptr;
    QFrame *m_searchPanel = nullptr;
    QWidget *m_searchBar = nullptr;
    AlbumChooser *m_searchAlbumChooser = nullptr;
    QLineEdit *m_searchNameEdit = nullptr;
    AlbumThumbnails *m_thumbnails = nullptr;
    QStackedWidget *m_viewerStack = nullptr;
    PictureViewer *m_viewer = nullptr;
    AlbumGridView *m_albumGrid = nullptr;
    QLabel *m_pictureDetails = nullptr;
    // The window the viewer fills while it is shown full screen, else null.
    QWidget *m_fullScreen = nullptr;
    // Steps the slideshow; null when none runs.
    QTimer *m_slideshow = nullptr;
    QMenu *m_functionMenu = nullptr;
    QMenu *m_helpMenu = nullptr;
    QMenu *m_treeMenu = nullptr;
};
