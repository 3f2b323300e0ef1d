#include "MainWindow.h"

#include "AlbumLibrary.h"
#include "Application.h"
#include "Artwork.h"
#include "GuideDialog.h"
#include "PictureLoader.h"
#include "PicturePrefetch.h"
#include "Prompts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

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
    zoomed = false;
    currentAlbumNode = nullptr;
    m_loader = new PictureLoader(this);
    connect(m_loader, &PictureLoader::loaded, this, [this](int, const QImage &picture) { pictureLoaded(picture); });
    connect(m_loader, &PictureLoader::failed, this, [this](int, const QString &error) { pictureFailed(error); });
    m_zoomLoader = new PictureLoader(this, PictureLoader::Urgency::Background);
    connect(m_zoomLoader, &PictureLoader::loaded, this, [this](int, const QImage &picture) {
        m_zoomRequestScale = 0;
        zoomSourceLoaded(picture);
    });
    connect(m_zoomLoader, &PictureLoader::failed, this, [this] { m_zoomRequestScale = 0; });
    m_detailLoader = new PictureLoader(this, PictureLoader::Urgency::Background);
    connect(m_detailLoader, &PictureLoader::loaded, this, [this](int, const QImage &detail) {
        pictureView->setDetail(detail, m_detailPart, m_shown.size);
    });
    // Without it the view stays as sharp as the whole decode at hand.
    connect(m_detailLoader, &PictureLoader::failed, this, [this] { m_detailPart = QRect(); });
    m_prefetch = new PicturePrefetch(this);
    nodeImages = Artwork::imageList();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createTitleBar();
    createClientArea();
    createNavigationBar();
    layout->addWidget(titleBar);
    layout->addWidget(splitter, 1);
    layout->addWidget(navigationBar);
    createTreeHandlers();
    createSearchBar();
    createMenus();

    resize(kOuterWidth, kOuterHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(kOuterWidth / 2, kOuterHeight / 2));

    m_storePath = storePath;
    // Damage is told once, after whatever was under way when it showed.
    m_library.setDamageHandler([this] { QTimer::singleShot(0, this, &MainWindow::tellStoreDamaged); });
    m_storeOpened = m_library.open(storePath);
    if (!m_storeOpened) {
        Prompts::showError(QStringLiteral("错误"), m_library.openFailureMessage());
        return;
    }
    buildAlbumTree();
    m_library.setWaitIndicator([](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    m_library.checkPagesInBackground();
}

void MainWindow::tellStoreDamaged()
{
    Prompts::showError(QStringLiteral("错误"), QStringLiteral("相册库已损坏,请关闭程序并用备份恢复相册库!\n"
                                                             "为保护您的图片,程序不再向相册库写入任何内容。"));
}

QPixmap MainWindow::menuGlyph(int index) const
{
    // The list's white background is the glyph's transparent colour; on the
    // dark banner the drawing itself is shown light, as the captions are.
    const QImage source = nodeImages.value(index).toImage().convertToFormat(QImage::Format_RGB32);
    QImage glyph(source.size(), QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const int ink = std::min(255, (255 - qGray(source.pixel(x, y))) * 2);
            glyph.setPixel(x, y, qRgba(0xf0, 0xf0, 0xf0, ink));
        }
    glyph.setDevicePixelRatio(source.devicePixelRatio());
    return QPixmap::fromImage(glyph);
}

void MainWindow::createTitleBar()
{
    titleBar = new QWidget(this);
    titleBar->setObjectName(QStringLiteral("titleBar"));
    titleBar->setFixedHeight(37);
    titleBar->installEventFilter(this);

    titleBanner = new QLabel(titleBar);
    titleBanner->setObjectName(QStringLiteral("titleBanner"));
    titleBanner->setScaledContents(true);
    titleBanner->setPixmap(Artwork::render(QStringLiteral("banner.svg"), QSize(kOuterWidth, 37)));

    menuButtons = new QWidget(titleBar);
    menuButtons->setObjectName(QStringLiteral("menuButtons"));
    menuButtons->setAttribute(Qt::WA_TranslucentBackground);
    menuButtons->setGeometry(10, 3, 313, 33);

    struct MenuButtonSpec
    {
        MenuButton **button;
        const char *name;
        int left;
        int width;
        const char *caption;
        const char *hint;
        QColor colour;
    };
    const MenuButtonSpec specs[] = {
        {&functionMenuButton, "functionMenuButton", 0, 103, "功能", "从这里开始", QColor(0xf0, 0xf0, 0xf0)},
        {&helpMenuButton, "helpMenuButton", 103, 103, "帮助", "点击此处可获得帮助", QColor(Qt::white)},
        {&searchMenuButton, "searchMenuButton", 206, 107, "搜索", "这里可以搜索相册库中的图片", QColor(Qt::white)},
    };
    for (const MenuButtonSpec &s : specs) {
        auto *b = new MenuButton(menuButtons);
        b->setObjectName(QString::fromLatin1(s.name));
        b->setGeometry(s.left, 0, s.width, 33);
        b->setText(QString::fromUtf8(s.caption));
        b->setToolTip(QString::fromUtf8(s.hint));
        b->setAutoRaise(true);
        b->setIconSize(QSize(16, 16));
        b->setIcon(QIcon(menuGlyph(0)));
        b->setFont(pixelFont(QStringLiteral("Arial"), 12));
        QPalette pal = b->palette();
        pal.setColor(QPalette::ButtonText, s.colour);
        b->setPalette(pal);
        *s.button = b;
    }

    webLogLink = new QLabel(QStringLiteral("我要与作者交流!"), titleBar);
    webLogLink->setObjectName(QStringLiteral("webLogLink"));
    QFont linkFont = pixelFont(QString(), 13);
    linkFont.setItalic(true);
    linkFont.setUnderline(true);
    webLogLink->setFont(linkFont);
    webLogLink->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    webLogLink->setCursor(Qt::PointingHandCursor);
    webLogLink->setGeometry(0, 16, 134, 16);
    webLogLink->setVisible(!guideFile().isEmpty());
}

void MainWindow::createClientArea()
{
    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setHandleWidth(1);
    splitter->setChildrenCollapsible(false);

    albumListPanel = new QGroupBox(splitter);
    albumListPanel->setObjectName(QStringLiteral("albumListPanel"));
    albumListPanel->setFlat(true);
    auto *groupLayout = new QVBoxLayout(albumListPanel);
    groupLayout->setContentsMargins(0, 0, 0, 0);
    albumTreeBox = new QWidget(albumListPanel);
    albumTreeBox->setObjectName(QStringLiteral("albumTreeBox"));
    groupLayout->addWidget(albumTreeBox);
    auto *boxLayout = new QVBoxLayout(albumTreeBox);
    boxLayout->setContentsMargins(0, 0, 0, 0);

    albumTree = new QTreeWidget(albumTreeBox);
    albumTree->setObjectName(QStringLiteral("albumTree"));
    albumTree->setHeaderHidden(true);
    albumTree->setColumnCount(1);
    albumTree->setIndentation(19);
    albumTree->setRootIsDecorated(true);
    albumTree->setFrameShape(QFrame::NoFrame);
    albumTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    albumTree->setContextMenuPolicy(Qt::CustomContextMenu);
    albumTree->setFont(pixelFont(QString(), 11));
    boxLayout->addWidget(albumTree);

    viewerPanel = new QWidget(splitter);
    viewerPanel->setObjectName(QStringLiteral("viewerPanel"));
    auto *viewLayout = new QVBoxLayout(viewerPanel);
    viewLayout->setContentsMargins(0, 0, 0, 0);
    viewLayout->setSpacing(0);

    searchPanel = new QFrame(viewerPanel);
    searchPanel->setObjectName(QStringLiteral("searchPanel"));
    searchPanel->setFixedHeight(27);
    searchPanel->hide();
    viewLayout->addWidget(searchPanel);

    // The viewer is a plain clipping panel, not a scrolling one: a picture
    // larger than it is cut off at its edges and never shows scroll bars.
    viewer = new QWidget(viewerPanel);
    viewer->setObjectName(QStringLiteral("viewer"));
    viewer->setAutoFillBackground(true);
    QPalette white = viewer->palette();
    white.setColor(QPalette::Window, Qt::white);
    viewer->setPalette(white);
    viewer->installEventFilter(this);
    viewLayout->addWidget(viewer, 1);

    pictureView = new PictureView(viewer);
    pictureView->setObjectName(QStringLiteral("pictureView"));
    pictureView->setGeometry(0, 0, 0, 0);

    splitter->addWidget(albumListPanel);
    splitter->addWidget(viewerPanel);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({150, kOuterWidth - 151});
    if (QSplitterHandle *handle = splitter->handle(1)) {
        handle->setCursor(Qt::ArrowCursor);
        QPalette pal = handle->palette();
        pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Inactive, QPalette::WindowText));
        handle->setPalette(pal);
        handle->setAutoFillBackground(true);
    }
}

void MainWindow::createNavigationBar()
{
    navigationBar = new QWidget(this);
    navigationBar->setObjectName(QStringLiteral("navigationBar"));
    navigationBar->setFixedHeight(54);
    navigationBar->installEventFilter(this);

    navigationBanner = new QLabel(navigationBar);
    navigationBanner->setObjectName(QStringLiteral("navigationBanner"));
    navigationBanner->setScaledContents(true);
    navigationBanner->setPixmap(Artwork::render(QStringLiteral("navbar.svg"), QSize(kOuterWidth, 54)));

    navigationButtons = new QWidget(navigationBar);
    navigationButtons->setObjectName(QStringLiteral("navigationButtons"));
    navigationButtons->setAttribute(Qt::WA_TranslucentBackground);
    navigationButtons->setGeometry(0, 10, 412, 37);

    turnLeftButton = navButton("turnLeftButton", 22, "rotate-ccw", QStringLiteral("逆时针转90度"));
    turnRightButton = navButton("turnRightButton", 50, "rotate-cw", QStringLiteral("顺时针转90度"));
    turnSeparator = navSeparator("turnSeparator", 83);
    zoomInButton = navButton("zoomInButton", 90, "zoom-in", QStringLiteral("放大图片"));
    zoomOutButton = navButton("zoomOutButton", 121, "zoom-out", QStringLiteral("缩小图片"));
    actualSizeButton = navButton("actualSizeButton", 152, "actual-size", QStringLiteral("实际大小"));
    zoomSeparator = navSeparator("zoomSeparator", 186);
    previousButton = navButton("previousButton", 191, "previous", QStringLiteral("上一张"));
    nextButton = navButton("nextButton", 221, "next", QStringLiteral("下一张"));
    stepSeparator = navSeparator("stepSeparator", 258);
    deleteButton = navButton("deleteButton", 274, "delete", QStringLiteral("删除当前图片"));
    saveButton = navButton("saveButton", 306, "save", QStringLiteral("保存当前图片"));
    fileSeparator = navSeparator("fileSeparator", 338);
    printButton = navButton("printButton", 350, "print", QStringLiteral("打印当前图片"));
}

QToolButton *MainWindow::navButton(const char *name, int left, const char *glyph, const QString &hint)
{
    auto *b = new QToolButton(navigationButtons);
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
    auto *f = new QFrame(navigationButtons);
    f->setObjectName(QString::fromLatin1(name));
    f->setFrameShape(QFrame::VLine);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(left, 11, 2, 18);
    return f;
}

void MainWindow::arrangePanels()
{
    navigationButtons->move(frameGeometry().width() / 2 - navigationButtons->width() / 2, navigationButtons->y());
    menuButtons->move(titleBar->x() + 10, menuButtons->y());
    webLogLink->move(titleBar->width() - webLogLink->width() - 10, webLogLink->y());
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
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == functionMenuButton && type == QEvent::MouseButtonPress) {
            openFunctionMenu();
            return true;
        }
        if (watched == webLogLink && mouse->button() == Qt::LeftButton) {
            openWebLog();
            return true;
        }
        // A right click on the tree must not move the selection.
        if (watched == albumTree->viewport() && mouse->button() == Qt::RightButton)
            return true;
    }
    if (type == QEvent::Wheel && (watched == viewer || watched == pictureView)) {
        viewerWheel(static_cast<QWheelEvent *>(event));
        return true;
    }
    if (type == QEvent::Resize) {
        if (watched == titleBar) {
            titleBanner->setGeometry(titleBar->rect());
            arrangePanels();
        } else if (watched == viewer) {
            viewerResized();
        } else if (watched == searchPanel) {
            placeSearchBar();
        } else if (watched == navigationBar) {
            navigationBanner->setGeometry(navigationBar->rect());
            arrangePanels();
        }
    }
    return QWidget::eventFilter(watched, event);
}
