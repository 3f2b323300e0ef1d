#include "MainUnit.h"

#include "Application.h"
#include "Artwork.h"
#include "ConnectionString.h"
#include "PicDMUnit.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QStyleOptionToolButton>
#include <QTimer>
#include <QTreeWidget>
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

// ---------------------------------------------------------------- TMenuButton

void TMenuButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QStyleOptionToolButton opt;
    initStyleOption(&opt);
    // The frame and hover background come from the style; glyph and caption
    // are laid out here so that they stand 8 pixels apart.
    opt.text.clear();
    opt.icon = QIcon();
    style()->drawComplexControl(QStyle::CC_ToolButton, &opt, &p, this);

    const QSize glyph = iconSize();
    const int textWidth = fontMetrics().horizontalAdvance(text());
    const int contentWidth = glyph.width() + 8 + textWidth;
    const int left = (width() - contentWidth) / 2;
    p.drawPixmap(left, (height() - glyph.height()) / 2, icon().pixmap(glyph));
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(QRect(left + glyph.width() + 8, 0, textWidth + 2, height()), Qt::AlignVCenter | Qt::AlignLeft,
               text());
}

// ---------------------------------------------------------------- TImageControl

void TImageControl::SetPicture(const QImage &picture)
{
    m_picture = picture;
    update();
}

QRect TImageControl::DrawRect(const QSize &picture, const QSize &control)
{
    const int w = picture.width();
    const int h = picture.height();
    const int cw = control.width();
    const int ch = control.height();
    int dw = w;
    int dh = h;
    if ((w > cw || h > ch) && w > 0 && h > 0) {
        const double r = double(w) / double(h);
        if (w > h) {
            dw = cw;
            dh = int(cw / r);
            if (dh > ch) {
                dh = ch;
                dw = int(ch * r);
            }
        } else {
            dh = ch;
            dw = int(ch * r);
            if (dw > cw) {
                dw = cw;
                dh = int(cw / r);
            }
        }
    }
    return QRect((cw - dw) / 2, (ch - dh) / 2, dw, dh);
}

void TImageControl::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter p(this);
    const QRect target = DrawRect(m_picture.size(), size());
    if (target.size() == m_picture.size()) {
        p.drawImage(target.topLeft(), m_picture);
    } else {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, m_picture);
    }
}

// ---------------------------------------------------------------- TMainForm

TMainForm::TMainForm(const QString &storePath, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(TApplication::Title());
    FormCreate(storePath);
}

TMainForm::~TMainForm() = default;

QString TMainForm::DefaultStorePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/date/pdate.pdb");
}

void TMainForm::FormCreate(const QString &storePath)
{
    Zoomed = false;
    CurLibNode = nullptr;
    ImageList1 = Artwork::ImageList();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createTitleBar();
    createClientArea();
    createNavigationBar();
    layout->addWidget(TitlePanle);
    layout->addWidget(Splitter1, 1);
    layout->addWidget(spSkinPanel3);
    createTreeHandlers();
    createSearchBar();
    createMenus();

    resize(kOuterWidth, kOuterHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(kOuterWidth / 2, kOuterHeight / 2));

    m_storePath = storePath;
    const QString connection = ConnectionString::ForStore(storePath);
    m_storeOpened = PicDM->OpenStore(connection);
    if (!m_storeOpened) {
        PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("找不到相册库文件!"));
        return;
    }
    BuildLibTree();
}

QPixmap TMainForm::menuGlyph(int index) const
{
    // The list's white background is the glyph's transparent colour; on the
    // dark banner the drawing itself is shown light, as the captions are.
    const QImage source = ImageList1.value(index).toImage().convertToFormat(QImage::Format_RGB32);
    QImage glyph(source.size(), QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const int ink = std::min(255, (255 - qGray(source.pixel(x, y))) * 2);
            glyph.setPixel(x, y, qRgba(0xf0, 0xf0, 0xf0, ink));
        }
    return QPixmap::fromImage(glyph);
}

void TMainForm::createTitleBar()
{
    TitlePanle = new QWidget(this);
    TitlePanle->setObjectName(QStringLiteral("TitlePanle"));
    TitlePanle->setFixedHeight(37);
    TitlePanle->installEventFilter(this);

    Image5 = new QLabel(TitlePanle);
    Image5->setObjectName(QStringLiteral("Image5"));
    Image5->setScaledContents(true);
    Image5->setPixmap(Artwork::Render(QStringLiteral("banner.svg"), QSize(kOuterWidth, 37)));

    MenuPanle = new QWidget(TitlePanle);
    MenuPanle->setObjectName(QStringLiteral("MenuPanle"));
    MenuPanle->setAttribute(Qt::WA_TranslucentBackground);
    MenuPanle->setGeometry(10, 3, 313, 33);

    struct MenuButtonSpec
    {
        TMenuButton **button;
        const char *name;
        int left;
        int width;
        const char *caption;
        const char *hint;
        QColor colour;
    };
    const MenuButtonSpec specs[] = {
        {&UserMenu, "UserMenu", 0, 103, "功能", "从这里开始", QColor(0xf0, 0xf0, 0xf0)},
        {&HelpMenu, "HelpMenu", 103, 103, "帮助", "点击此处可获得帮助", QColor(Qt::white)},
        {&SearcMenu, "SearcMenu", 206, 107, "搜索", "这里可以搜索相册库中的图片", QColor(Qt::white)},
    };
    for (const MenuButtonSpec &s : specs) {
        auto *b = new TMenuButton(MenuPanle);
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

    quilbonet = new QLabel(QStringLiteral("我要与作者交流!"), TitlePanle);
    quilbonet->setObjectName(QStringLiteral("quilbonet"));
    QFont linkFont = pixelFont(QString(), 13);
    linkFont.setItalic(true);
    linkFont.setUnderline(true);
    quilbonet->setFont(linkFont);
    quilbonet->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    quilbonet->setCursor(Qt::PointingHandCursor);
    quilbonet->setGeometry(0, 16, 134, 16);
}

void TMainForm::createClientArea()
{
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(1);
    Splitter1->setChildrenCollapsible(false);

    PicListGroup = new QGroupBox(Splitter1);
    PicListGroup->setObjectName(QStringLiteral("PicListGroup"));
    PicListGroup->setFlat(true);
    auto *groupLayout = new QVBoxLayout(PicListGroup);
    groupLayout->setContentsMargins(0, 0, 0, 0);
    spSkinScrollBox1 = new QWidget(PicListGroup);
    spSkinScrollBox1->setObjectName(QStringLiteral("spSkinScrollBox1"));
    groupLayout->addWidget(spSkinScrollBox1);
    auto *boxLayout = new QVBoxLayout(spSkinScrollBox1);
    boxLayout->setContentsMargins(0, 0, 0, 0);

    PicLibView = new QTreeWidget(spSkinScrollBox1);
    PicLibView->setObjectName(QStringLiteral("PicLibView"));
    PicLibView->setHeaderHidden(true);
    PicLibView->setColumnCount(1);
    PicLibView->setIndentation(19);
    PicLibView->setRootIsDecorated(true);
    PicLibView->setFrameShape(QFrame::NoFrame);
    PicLibView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PicLibView->setContextMenuPolicy(Qt::CustomContextMenu);
    PicLibView->setFont(pixelFont(QString(), 11));
    boxLayout->addWidget(PicLibView);

    spSkinPanel1 = new QWidget(Splitter1);
    spSkinPanel1->setObjectName(QStringLiteral("spSkinPanel1"));
    auto *viewLayout = new QVBoxLayout(spSkinPanel1);
    viewLayout->setContentsMargins(0, 0, 0, 0);
    viewLayout->setSpacing(0);

    MainSearcPanle = new QFrame(spSkinPanel1);
    MainSearcPanle->setObjectName(QStringLiteral("MainSearcPanle"));
    MainSearcPanle->setFixedHeight(27);
    MainSearcPanle->hide();
    viewLayout->addWidget(MainSearcPanle);

    // The viewer is a plain clipping panel, not a scrolling one: a picture
    // larger than it is cut off at its edges and never shows scroll bars.
    PicSroll = new QWidget(spSkinPanel1);
    PicSroll->setObjectName(QStringLiteral("PicSroll"));
    PicSroll->setAutoFillBackground(true);
    QPalette white = PicSroll->palette();
    white.setColor(QPalette::Window, Qt::white);
    PicSroll->setPalette(white);
    PicSroll->installEventFilter(this);
    viewLayout->addWidget(PicSroll, 1);

    MainImage = new TImageControl(PicSroll);
    MainImage->setObjectName(QStringLiteral("MainImage"));
    MainImage->setGeometry(0, 0, 0, 0);

    Splitter1->addWidget(PicListGroup);
    Splitter1->addWidget(spSkinPanel1);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({150, kOuterWidth - 151});
    if (QSplitterHandle *handle = Splitter1->handle(1)) {
        handle->setCursor(Qt::ArrowCursor);
        QPalette pal = handle->palette();
        pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Inactive, QPalette::WindowText));
        handle->setPalette(pal);
        handle->setAutoFillBackground(true);
    }
}

void TMainForm::createNavigationBar()
{
    spSkinPanel3 = new QWidget(this);
    spSkinPanel3->setObjectName(QStringLiteral("spSkinPanel3"));
    spSkinPanel3->setFixedHeight(54);
    spSkinPanel3->installEventFilter(this);

    Image2 = new QLabel(spSkinPanel3);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setScaledContents(true);
    Image2->setPixmap(Artwork::Render(QStringLiteral("navbar.svg"), QSize(kOuterWidth, 54)));

    NavPanle = new QWidget(spSkinPanel3);
    NavPanle->setObjectName(QStringLiteral("NavPanle"));
    NavPanle->setAttribute(Qt::WA_TranslucentBackground);
    NavPanle->setGeometry(0, 10, 412, 37);

    spSkinSpeedButton2 = navButton("spSkinSpeedButton2", 22, "rotate-ccw", QStringLiteral("逆时针转90度"));
    spSkinSpeedButton3 = navButton("spSkinSpeedButton3", 50, "rotate-cw", QStringLiteral("顺时针转90度"));
    spSkinBevel1 = navBevel("spSkinBevel1", 83);
    spSkinSpeedButton6 = navButton("spSkinSpeedButton6", 90, "zoom-in", QStringLiteral("放大图片"));
    spSkinSpeedButton7 = navButton("spSkinSpeedButton7", 121, "zoom-out", QStringLiteral("缩小图片"));
    spSkinSpeedButton1 = navButton("spSkinSpeedButton1", 152, "actual-size", QStringLiteral("实际大小"));
    spSkinBevel2 = navBevel("spSkinBevel2", 186);
    spSkinSpeedButton4 = navButton("spSkinSpeedButton4", 191, "previous", QStringLiteral("上一张"));
    spSkinSpeedButton5 = navButton("spSkinSpeedButton5", 221, "next", QStringLiteral("下一张"));
    spSkinBevel3 = navBevel("spSkinBevel3", 258);
    spSkinSpeedButton8 = navButton("spSkinSpeedButton8", 274, "delete", QStringLiteral("删除当前图片"));
    spSkinSpeedButton9 = navButton("spSkinSpeedButton9", 306, "save", QStringLiteral("保存当前图片"));
    spSkinBevel4 = navBevel("spSkinBevel4", 338);
    spSkinSpeedButton10 = navButton("spSkinSpeedButton10", 350, "print", QStringLiteral("打印当前图片"));
}

QToolButton *TMainForm::navButton(const char *name, int left, const char *glyph, const QString &hint)
{
    auto *b = new QToolButton(NavPanle);
    b->setObjectName(QString::fromLatin1(name));
    b->setProperty("navButton", true);
    b->setAutoRaise(true);
    b->setGeometry(left, 8, 26, 24);
    b->setIconSize(QSize(16, 16));
    b->setIcon(QIcon(Artwork::Render(QStringLiteral("glyphs/%1.svg").arg(QLatin1String(glyph)), QSize(16, 16))));
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QFrame *TMainForm::navBevel(const char *name, int left)
{
    auto *f = new QFrame(NavPanle);
    f->setObjectName(QString::fromLatin1(name));
    f->setFrameShape(QFrame::VLine);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(left, 11, 2, 18);
    return f;
}

void TMainForm::ArrangePanels()
{
    NavPanle->move(frameGeometry().width() / 2 - NavPanle->width() / 2, NavPanle->y());
    MenuPanle->move(TitlePanle->x() + 10, MenuPanle->y());
    quilbonet->move(TitlePanle->width() - quilbonet->width() - 10, quilbonet->y());
}

void TMainForm::FormResize() { ArrangePanels(); }

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TMainForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_outerSizeHeld) {
        m_outerSizeHeld = true;
        // The window manager's frame is known only once the window is shown;
        // then the client area is shrunk so that the outer size is 760 x 530.
        QTimer::singleShot(0, this, &TMainForm::holdOuterSize);
    }
}

void TMainForm::holdOuterSize()
{
    const int frameW = frameGeometry().width() - width();
    const int frameH = frameGeometry().height() - height();
    if (frameW > 0 || frameH > 0) {
        resize(kOuterWidth - frameW, kOuterHeight - frameH);
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - QPoint(kOuterWidth / 2, kOuterHeight / 2));
    }
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == UserMenu && type == QEvent::MouseButtonPress) {
            UserMenuMouseDown();
            return true;
        }
        if (watched == quilbonet && mouse->button() == Qt::LeftButton) {
            quilbonetClick();
            return true;
        }
        // A right click on the tree must not move the selection.
        if (watched == PicLibView->viewport() && mouse->button() == Qt::RightButton)
            return true;
    }
    if (type == QEvent::Resize) {
        if (watched == TitlePanle) {
            Image5->setGeometry(TitlePanle->rect());
            ArrangePanels();
        } else if (watched == PicSroll) {
            PicSrollResize();
        } else if (watched == MainSearcPanle) {
            MainSearcPanleResize();
        } else if (watched == spSkinPanel3) {
            Image2->setGeometry(spSkinPanel3->rect());
            ArrangePanels();
        }
    }
    return QWidget::eventFilter(watched, event);
}
