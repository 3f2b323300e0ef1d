#include "MainWindow.h"

#include "AlbumGridView.h"
#include "AlbumLibrary.h"
#include "AlbumThumbnails.h"
#include "AlbumTreeModel.h"
#include "AlbumTreeView.h"
#include "Application.h"
#include "Artwork.h"
#include "GuideDialog.h"
#include "MenuButton.h"
#include "PictureViewer.h"
#include "Prompts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kOuterWidth = 760;
constexpr int kOuterHeight = 530;

QFont pixelFont(const QString &family, int pixels)
{
    QFont f = QApplication::font();
    if (!family.isEmpty())
        f.setFamilies({family, QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    f.setPixelSize(pixels);
    return f;
}

} // namespace

MainWindow::MainWindow(AlbumLibrary &library, const QString &storePath, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint
                          | Qt::WindowCloseButtonHint),
      m_library(library)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(Application::title());
    createWindow(storePath);
}

MainWindow::~MainWindow()
{
    m_library.setDamageHandler(nullptr);
    m_library.setWaitIndicator(nullptr);
}

void MainWindow::createWindow(const QString &storePath)
{
    m_nodeImages = Artwork::imageList();
    m_model = new AlbumTreeModel(m_library, this);
    // The image of a selected node is the image itself, not tinted.
    QList<QIcon> icons;
    for (const QPixmap &image : std::as_const(m_nodeImages)) {
        QIcon icon(image);
        icon.addPixmap(image, QIcon::Selected);
        icons.append(icon);
    }
    m_model->setNodeIcons(icons);
    m_thumbnails = new AlbumThumbnails(m_library, this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createTitleBar();
    createClientArea();
    createNavigationBar();
    layout->addWidget(m_titleBar);
    layout->addWidget(m_splitter, 1);
    layout->addWidget(m_navigationBar);
    createSearchBar();
    createMenus();

    // The tree and the viewer follow each other: what the tree selects is
    // shown, and a picture on screen is the tree's selection.
    connect(m_tree, &AlbumTreeView::currentNodeChanged, this,
            [this](const QModelIndex &current) { Application::guard([&] { showCurrentNode(current); }); });
    m_tree->setAlbumOpener([this](const QString &album) { return openAlbum(album); });
    connect(m_tree, &AlbumTreeView::albumClosed, this, [this](const QString &album) { m_library.lock(album); });
    connect(m_viewer, &PictureViewer::pictureShown, this, [this] {
        selectShownPicture();
        // The neighbours are read once this picture is on screen.
        QTimer::singleShot(0, this, [this] { Application::guard([this] { decodeNeighbours(); }); });
    });
    connect(m_viewer, &PictureViewer::pictureFailed, this, [](const QString &error) { Application::reportError(error); });
    // A picture chosen in the grid is the tree's selection, and shown.
    connect(m_albumGrid, &AlbumGridView::pictureChosen, this, [this](const QModelIndex &node) {
        Application::guard([&] {
            m_tree->setExpandedByCode(node.parent(), true);
            m_tree->selectByCode(node);
        });
    });
    // A protected album selected shows its grid once its password is given.
    connect(&m_library, &AlbumLibrary::albumUnlocked, this, [this](const QString &album) {
        const QModelIndex current = m_tree->currentIndex();
        if (AlbumTreeModel::levelOf(current) == AlbumTreeModel::Level::Album && m_model->albumOf(current) == album)
            Application::guard([&] { showCurrentNode(current); });
    });
    // Nothing decoded of a closed album is kept; what changed in the store
    // is decoded anew.
    connect(&m_library, &AlbumLibrary::albumLocked, m_viewer, &PictureViewer::dropPicturesOf);
    // A tree read anew selects nothing, and shows nothing.
    connect(m_model, &QAbstractItemModel::modelReset, m_viewer, &PictureViewer::clear);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { showGrid(QModelIndex()); });
    // Nothing of a closed album stays on show.
    connect(&m_library, &AlbumLibrary::albumLocked, this, [this](const QString &album) {
        if (m_albumGrid->album().isValid() && m_model->albumOf(m_albumGrid->album()) == album)
            showGrid(QModelIndex());
    });
    connect(&m_library, &AlbumLibrary::pictureRenamed, m_viewer, &PictureViewer::pictureRenamed);
    connect(m_viewerStack, &QStackedWidget::currentChanged, this, &MainWindow::showDetails);
    for (const auto rowsChanged : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model, rowsChanged, this, &MainWindow::showDetails);
    connect(m_viewer, &PictureViewer::pictureShown, this, &MainWindow::showDetails);
    connect(m_viewer, &PictureViewer::cleared, this, &MainWindow::showDetails);
    connect(&m_library, &AlbumLibrary::pictureRenamed, this, &MainWindow::showDetails);
    connect(&m_library, &AlbumLibrary::pictureRemoved, m_viewer, &PictureViewer::forgetDecodedPictures);
    connect(&m_library, &AlbumLibrary::albumRemoved, m_viewer, &PictureViewer::forgetDecodedPictures);
    connect(m_model, &AlbumTreeModel::renameRefused, this,
            [](const QString &reason) { Prompts::showWarning(tr("警告"), reason); });
    // The first steps stay on show until the store holds an album.
    for (const auto rowsChanged : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model, rowsChanged, this, &MainWindow::showFirstSteps);
    connect(m_model, &QAbstractItemModel::modelReset, this, &MainWindow::showFirstSteps);

    setAcceptDrops(true);
    resize(kOuterWidth, kOuterHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(kOuterWidth / 2, kOuterHeight / 2));

    m_storePath = storePath;
    // Damage is told once, after whatever was under way when it showed.
    m_library.setDamageHandler([this] { QTimer::singleShot(0, this, &MainWindow::tellStoreDamaged); });
    m_storeOpened = m_library.open(storePath);
    if (!m_storeOpened) {
        Prompts::showError(tr("错误"), m_library.openFailureMessage());
        return;
    }
    // A store error while reading it is told as any other; the tree keeps
    // its root.
    Application::guard([this] { refreshTree(); });
    m_library.setWaitIndicator([](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    m_library.checkPagesInBackground();
    // Once the window is up and the pages are checked, the thumbnails the
    // store lacks are made in the background.
    QTimer::singleShot(1000, m_thumbnails, &AlbumThumbnails::fillInBackground);
}

namespace {

// The local files and folders a drag carries; empty when it carries
// anything else.
QStringList droppedPaths(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths.append(url.toLocalFile());
    }
    return paths;
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_storeOpened && !droppedPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QStringList paths = droppedPaths(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    const bool folders = std::any_of(paths.cbegin(), paths.cend(), [](const QString &p) { return QFileInfo(p).isDir(); });
    // After the drop has ended: the dialogs run loops of their own.
    QTimer::singleShot(0, this, [this, paths, folders] {
        if (folders)
            importFolderPaths(paths);
        else
            importPictureFiles(paths);
    });
}

void MainWindow::tellStoreDamaged()
{
    Prompts::showError(tr("错误"), tr("相册库已损坏,请关闭程序并用备份恢复相册库!\n"
                                      "为保护您的图片,程序不再向相册库写入任何内容。"));
}

QPixmap MainWindow::menuGlyph(int index) const
{
    // The list's white background is the glyph's transparent colour; on the
    // dark banner the drawing itself is shown light, as the captions are.
    const QImage source = m_nodeImages.value(index).toImage().convertToFormat(QImage::Format_RGB32);
    QImage glyph(source.size(), QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const int ink = std::min(255, (255 - qGray(source.pixel(x, y))) * 2);
            glyph.setPixel(x, y, qRgba(0xf0, 0xf0, 0xf0, ink));
        }
    glyph.setDevicePixelRatio(source.devicePixelRatio());
    return QPixmap::fromImage(glyph);
}

void MainWindow::createBannerBar(QWidget *&bar, QLabel *&banner, QWidget *&buttons, const char *name, int height,
                                 const QString &artwork, const QRect &buttonsArea)
{
    const QString prefix = QString::fromLatin1(name);
    bar = new QWidget(this);
    bar->setObjectName(prefix + QStringLiteral("Bar"));
    bar->setFixedHeight(height);
    bar->installEventFilter(this);

    banner = new QLabel(bar);
    banner->setObjectName(prefix + QStringLiteral("Banner"));
    banner->setScaledContents(true);
    banner->setPixmap(Artwork::render(artwork, QSize(kOuterWidth, height)));

    buttons = new QWidget(bar);
    buttons->setAttribute(Qt::WA_TranslucentBackground);
    buttons->setGeometry(buttonsArea);
}

void MainWindow::createTitleBar()
{
    createBannerBar(m_titleBar, m_titleBanner, m_menuButtons, "title", 37, QStringLiteral("banner.svg"),
                    QRect(10, 3, 313, 33));
    m_menuButtons->setObjectName(QStringLiteral("menuButtons"));

    struct MenuButtonSpec
    {
        MenuButton **button;
        const char *name;
        int left;
        int width;
        QString caption;
        QString hint;
        QColor colour;
    };
    const MenuButtonSpec specs[] = {
        {&m_functionMenuButton, "functionMenuButton", 0, 103, tr("功能"), tr("从这里开始"), QColor(0xf0, 0xf0, 0xf0)},
        {&m_helpMenuButton, "helpMenuButton", 103, 103, tr("帮助"), tr("点击此处可获得帮助"), QColor(Qt::white)},
        {&m_searchMenuButton, "searchMenuButton", 206, 107, tr("搜索"), tr("这里可以搜索相册库中的图片"),
         QColor(Qt::white)},
    };
    for (const MenuButtonSpec &s : specs) {
        auto *b = new MenuButton(m_menuButtons);
        b->setObjectName(QString::fromLatin1(s.name));
        b->setGeometry(s.left, 0, s.width, 33);
        b->setText(s.caption);
        b->setToolTip(s.hint);
        b->setAutoRaise(true);
        b->setIconSize(QSize(16, 16));
        b->setIcon(QIcon(menuGlyph(0)));
        b->setFont(pixelFont(QStringLiteral("Arial"), 12));
        QPalette pal = b->palette();
        pal.setColor(QPalette::ButtonText, s.colour);
        b->setPalette(pal);
        *s.button = b;
    }

    m_webLogLink = new QLabel(tr("我要与作者交流!"), m_titleBar);
    m_webLogLink->setObjectName(QStringLiteral("webLogLink"));
    QFont linkFont = pixelFont(QString(), 13);
    linkFont.setItalic(true);
    linkFont.setUnderline(true);
    m_webLogLink->setFont(linkFont);
    m_webLogLink->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    m_webLogLink->setCursor(Qt::PointingHandCursor);
    m_webLogLink->setGeometry(0, 16, 134, 16);
    m_webLogLink->setVisible(!guideFile().isEmpty());
}

void MainWindow::createClientArea()
{
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setHandleWidth(1);
    m_splitter->setChildrenCollapsible(false);

    m_albumListPanel = new QGroupBox(m_splitter);
    m_albumListPanel->setObjectName(QStringLiteral("albumListPanel"));
    m_albumListPanel->setFlat(true);
    auto *groupLayout = new QVBoxLayout(m_albumListPanel);
    groupLayout->setContentsMargins(0, 0, 0, 0);
    auto *albumTreeBox = new QWidget(m_albumListPanel);
    albumTreeBox->setObjectName(QStringLiteral("albumTreeBox"));
    groupLayout->addWidget(albumTreeBox);
    auto *boxLayout = new QVBoxLayout(albumTreeBox);
    boxLayout->setContentsMargins(0, 0, 0, 0);

    m_tree = new AlbumTreeView(*m_model, albumTreeBox);
    m_tree->setObjectName(QStringLiteral("albumTree"));
    m_tree->setFont(pixelFont(QString(), 11));
    // The selection stays visible, paler, while the focus is elsewhere: it
    // is what every picture command acts on.
    QPalette pal = m_tree->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0xc8, 0xd8, 0xea));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, QColor(0x20, 0x20, 0x20));
    m_tree->setPalette(pal);
    boxLayout->addWidget(m_tree);

    auto *viewerPanel = new QWidget(m_splitter);
    viewerPanel->setObjectName(QStringLiteral("viewerPanel"));
    auto *viewLayout = new QVBoxLayout(viewerPanel);
    viewLayout->setContentsMargins(0, 0, 0, 0);
    viewLayout->setSpacing(0);

    m_searchPanel = new QFrame(viewerPanel);
    m_searchPanel->setObjectName(QStringLiteral("searchPanel"));
    m_searchPanel->setFixedHeight(27);
    m_searchPanel->hide();
    viewLayout->addWidget(m_searchPanel);

    // Where the pictures are shown: the picture, or an album's grid.
    m_viewerStack = new QStackedWidget(viewerPanel);
    m_viewerStack->setObjectName(QStringLiteral("viewerStack"));
    viewLayout->addWidget(m_viewerStack, 1);
    m_viewer = new PictureViewer(m_library, m_viewerStack);
    m_viewerStack->addWidget(m_viewer);
    m_albumGrid = new AlbumGridView(*m_model, *m_thumbnails, m_viewerStack);
    m_albumGrid->setFont(pixelFont(QString(), 11));
    m_viewerStack->addWidget(m_albumGrid);

    // One line under the picture: what its file says of it.
    m_pictureDetails = new QLabel(viewerPanel);
    m_pictureDetails->setObjectName(QStringLiteral("pictureDetails"));
    m_pictureDetails->setFixedHeight(20);
    m_pictureDetails->setFont(pixelFont(QString(), 11));
    m_pictureDetails->setContentsMargins(8, 0, 8, 0);
    m_pictureDetails->setTextInteractionFlags(Qt::TextSelectableByMouse);
    viewLayout->addWidget(m_pictureDetails);

    m_splitter->addWidget(m_albumListPanel);
    m_splitter->addWidget(viewerPanel);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({150, kOuterWidth - 151});
    if (QSplitterHandle *handle = m_splitter->handle(1)) {
        handle->setCursor(Qt::ArrowCursor);
        QPalette handlePalette = handle->palette();
        handlePalette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Inactive, QPalette::WindowText));
        handle->setPalette(handlePalette);
        handle->setAutoFillBackground(true);
    }
}

void MainWindow::createNavigationBar()
{
    createBannerBar(m_navigationBar, m_navigationBanner, m_navigationButtons, "navigation", 54,
                    QStringLiteral("navbar.svg"), QRect(0, 10, 412, 37));
    m_navigationButtons->setObjectName(QStringLiteral("navigationButtons"));

    navButton("turnLeftButton", 22, "rotate-ccw", tr("逆时针转90度"));
    navButton("turnRightButton", 50, "rotate-cw", tr("顺时针转90度"));
    navSeparator("turnSeparator", 83);
    navButton("zoomInButton", 90, "zoom-in", tr("放大图片"));
    navButton("zoomOutButton", 121, "zoom-out", tr("缩小图片"));
    navButton("actualSizeButton", 152, "actual-size", tr("实际大小"));
    navSeparator("zoomSeparator", 186);
    navButton("previousButton", 191, "previous", tr("上一张"));
    navButton("nextButton", 221, "next", tr("下一张"));
    navSeparator("stepSeparator", 258);
    navButton("deleteButton", 274, "delete", tr("删除当前图片"));
    navButton("saveButton", 306, "save", tr("保存当前图片"));
    navSeparator("fileSeparator", 338);
    navButton("printButton", 350, "print", tr("打印当前图片"));
}

QToolButton *MainWindow::navButton(const char *name, int left, const char *glyph, const QString &hint)
{
    auto *b = new QToolButton(m_navigationButtons);
    b->setObjectName(QString::fromLatin1(name));
    b->setProperty("navButton", true);
    b->setAutoRaise(true);
    b->setGeometry(left, 8, 26, 24);
    b->setIconSize(QSize(16, 16));
    b->setIcon(QIcon(Artwork::render(QStringLiteral("glyphs/%1.svg").arg(QLatin1String(glyph)), QSize(16, 16))));
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QFrame *MainWindow::navSeparator(const char *name, int left)
{
    auto *f = new QFrame(m_navigationButtons);
    f->setObjectName(QString::fromLatin1(name));
    f->setFrameShape(QFrame::VLine);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(left, 11, 2, 18);
    return f;
}

void MainWindow::arrangePanels()
{
    m_navigationButtons->move(frameGeometry().width() / 2 - m_navigationButtons->width() / 2, m_navigationButtons->y());
    m_menuButtons->move(m_titleBar->x() + 10, m_menuButtons->y());
    m_webLogLink->move(m_titleBar->width() - m_webLogLink->width() - 10, m_webLogLink->y());
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrangePanels();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_outerSizeHeld) {
        m_outerSizeHeld = true;
        // The window manager's frame is known only once the window is shown;
        // then the client area is shrunk so that the outer size is 760 x 530.
        QTimer::singleShot(0, this, &MainWindow::holdOuterSize);
    }
}

void MainWindow::holdOuterSize()
{
    const int frameW = frameGeometry().width() - width();
    const int frameH = frameGeometry().height() - height();
    if (frameW > 0 || frameH > 0) {
        resize(kOuterWidth - frameW, kOuterHeight - frameH);
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - QPoint(kOuterWidth / 2, kOuterHeight / 2));
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    // The full-screen window closed some other way (the desktop's own
    // keys): the viewer comes back all the same.
    if (watched == m_fullScreen && type == QEvent::Close) {
        event->ignore();
        QTimer::singleShot(0, this, &MainWindow::leaveFullScreen);
        return true;
    }
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == m_functionMenuButton && type == QEvent::MouseButtonPress) {
            openFunctionMenu();
            return true;
        }
        if (watched == m_webLogLink && mouse->button() == Qt::LeftButton) {
            openGuide();
            return true;
        }
    }
    if (type == QEvent::Resize) {
        if (watched == m_titleBar) {
            m_titleBanner->setGeometry(m_titleBar->rect());
            arrangePanels();
        } else if (watched == m_searchPanel) {
            placeSearchBar();
        } else if (watched == m_navigationBar) {
            m_navigationBanner->setGeometry(m_navigationBar->rect());
            arrangePanels();
        }
    }
    return QWidget::eventFilter(watched, event);
}
