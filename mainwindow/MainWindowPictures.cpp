// The tree and the viewer together, and the commands on the shown picture:
// previous and next, save as, rename, delete, print and the desktop
// wallpaper.

#include "MainWindow.h"

#include "AlbumGridView.h"
#include "AlbumLibrary.h"
#include "AlbumTreeModel.h"
#include "AlbumTreeView.h"
#include "Application.h"
#include "DialogBase.h"
#include "PictureSaveDialog.h"
#include "PictureView.h"
#include "PictureViewer.h"
#include "Prompts.h"
#include "TextRules.h"
#include "Wallpaper.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QShortcut>
#include <QStackedWidget>

using Level = AlbumTreeModel::Level;

// ---------------------------------------------------------------- the tree and the viewer

void MainWindow::refreshTree()
{
    // Every album starts closed, its key wiped.
    m_library.lockAllBut({});
    m_viewer->forgetDecodedPictures();
    m_model->reload();
}

void MainWindow::showFirstSteps()
{
    // The model holds every album (only their pictures wait to be read).
    const bool empty = m_storeOpened && m_model->rowCount(m_model->index(0, 0)) == 0;
    m_viewer->setHint(!empty ? QString()
                             : tr("欢迎使用 Quilbo 2009!\n\n"
                                  "第一步:点击“功能”菜单中的“新建相册”,给相册起个名字。\n"
                                  "第二步:点击“功能”菜单中的“导入图片”或“导入文件夹...”,把图片放进相册。\n"
                                  "然后在左边的相册列表中点击图片,它就会显示在这里。\n\n"
                                  "导入的图片原样保存在这一个相册库文件中:\n%1\n"
                                  "请经常用“功能”菜单中的“备份相册库”备份它。")
                                   .arg(QDir::toNativeSeparators(m_library.storePath())));
}

void MainWindow::toggleFullScreen()
{
    if (m_fullScreen) {
        leaveFullScreen();
        return;
    }
    // A window of its own, owned by this one: the viewer moves into it with
    // its keys (steps, zoom, turns), and comes back when it closes.
    m_fullScreen = new QWidget(this, Qt::Window);
    m_fullScreen->setObjectName(QStringLiteral("fullScreenWindow"));
    m_fullScreen->setWindowTitle(windowTitle());
    auto *layout = new QVBoxLayout(m_fullScreen);
    layout->setContentsMargins(0, 0, 0, 0);
    m_viewerStack->removeWidget(m_viewer);
    layout->addWidget(m_viewer);
    m_viewer->show();
    m_viewer->setBackground(Qt::black);
    for (const QKeySequence &key : {QKeySequence(Qt::Key_F11), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(key, m_fullScreen), &QShortcut::activated, this, &MainWindow::leaveFullScreen);
    m_fullScreen->installEventFilter(this);
    // On the main window's screen, covering it even where no window manager
    // makes a full-screen window so.
    m_fullScreen->setGeometry(screen()->geometry());
    m_fullScreen->showFullScreen();
    m_fullScreen->activateWindow();
    m_viewer->setFocus();
}

void MainWindow::startSlideshow()
{
    QModelIndex node = commandPictureNode();
    const QModelIndex current = m_tree->currentIndex();
    if (!node.isValid() && AlbumTreeModel::levelOf(current) == Level::Album) {
        m_tree->setExpandedByCode(current, true);
        // From the picture chosen in the album's grid, else its first.
        node = m_albumGrid->isVisible() && m_albumGrid->currentIndex().isValid() ? m_albumGrid->currentIndex()
                                                                                   : m_model->index(0, 0, current);
    }
    if (AlbumTreeModel::levelOf(node) != Level::Picture)
        return; // no album on show
    if (node != m_tree->currentIndex())
        m_tree->selectByCode(node);
    if (!m_fullScreen)
        toggleFullScreen();
    delete m_slideshow;
    m_slideshow = new QTimer(this);
    m_slideshow->setObjectName(QStringLiteral("slideshowTimer"));
    m_slideshow->setInterval(4000);
    connect(m_slideshow, &QTimer::timeout, this, &MainWindow::showNextSlide);
    auto *pause = new QShortcut(QKeySequence(Qt::Key_Space), m_fullScreen);
    connect(pause, &QShortcut::activated, m_slideshow, [timer = m_slideshow] {
        if (timer->isActive())
            timer->stop();
        else
            timer->start();
    });
    m_slideshow->start();
    // The next slide, round to the first, is decoded ahead from the start.
    decodeNeighbours();
}

void MainWindow::showNextSlide()
{
    const QModelIndex node = commandPictureNode();
    const QModelIndex album = node.parent();
    const int count = m_model->rowCount(album);
    if (!node.isValid() || count == 0)
        return;
    m_viewer->leaveZoom();
    m_tree->selectByCode(m_model->index((node.row() + 1) % count, 0, album));
}

void MainWindow::leaveFullScreen()
{
    delete std::exchange(m_slideshow, nullptr);
    if (!m_fullScreen)
        return;
    QWidget *window = std::exchange(m_fullScreen, nullptr);
    window->removeEventFilter(this);
    // Back where the pictures are shown.
    m_viewerStack->insertWidget(0, m_viewer);
    m_viewerStack->setCurrentWidget(m_viewer);
    m_viewer->setBackground(Qt::white);
    m_viewer->show();
    window->hide();
    window->deleteLater();
    activateWindow();
    m_viewer->setFocus();
}

void MainWindow::showCurrentNode(const QModelIndex &current)
{
    // The picture on screen became the selection: nothing to show anew.
    if (m_tree->keepsViewer())
        return;
    m_viewer->clear();
    // An album that can be read shows its pictures as a grid; a protected
    // one only once its password is given.
    if (AlbumTreeModel::levelOf(current) == Level::Album) {
        const QString album = m_model->albumOf(current);
        showGrid(!m_library.albumHasPassword(album) || m_library.isUnlocked(album) ? current : QModelIndex());
        return;
    }
    showGrid(QModelIndex());
    if (AlbumTreeModel::levelOf(current) != Level::Picture)
        return;
    const QString album = m_model->albumOf(current);
    const QString name = trimText(current.data().toString());
    showPicture(m_library.pictureId(album, name), album, name);
}

void MainWindow::showGrid(const QModelIndex &album)
{
    m_albumGrid->showAlbum(album);
    // The viewer is away from the stack while it is shown full screen.
    if (album.isValid())
        m_viewerStack->setCurrentWidget(m_albumGrid);
    else if (m_viewerStack->indexOf(m_viewer) >= 0)
        m_viewerStack->setCurrentWidget(m_viewer);
    showDetails();
}

void MainWindow::showDetails()
{
    // With an album's grid on show, the album's name and how many pictures
    // it holds.
    const QModelIndex album = m_albumGrid->album();
    m_pictureDetails->setText(m_viewerStack->currentWidget() == m_albumGrid && album.isValid()
                                  ? tr("%1    %2 张图片").arg(album.data().toString()).arg(m_model->rowCount(album))
                                  : m_viewer->shownDetails());
}

void MainWindow::showPicture(int pictureId, const QString &album, const QString &name)
{
    showGrid(QModelIndex());
    m_viewer->showPicture({pictureId, album, name});
}

void MainWindow::selectShownPicture()
{
    // Whatever way it came (decoded ahead, read and decoded, from the tree
    // or the search), the picture on screen is the tree's selection, its
    // album opened without a second password prompt, the viewer left as it
    // is, zoom included.
    const PictureViewer::Picture shown = m_viewer->shownPicture();
    const QModelIndex node = m_model->pictureIndex(shown.album, shown.name);
    if (node.isValid() && node == m_tree->currentIndex())
        return;
    if (node.isValid()) {
        m_tree->setExpandedByCode(node.parent().parent(), true);
        m_tree->setExpandedByCode(node.parent(), true);
    }
    m_tree->selectByCode(node, true);
}

QModelIndex MainWindow::commandPictureNode() const
{
    const PictureViewer::Picture shown = m_viewer->shownPicture();
    if (!shown.isNull())
        return m_model->pictureIndex(shown.album, shown.name);
    const QModelIndex current = m_tree->currentIndex();
    return AlbumTreeModel::levelOf(current) == Level::Picture ? current : QModelIndex();
}

void MainWindow::decodeNeighbours()
{
    const QModelIndex current = commandPictureNode();
    if (!current.isValid())
        return;
    const QString album = m_model->albumOf(current);
    QList<int> neighbours;
    QModelIndex next = AlbumTreeView::nextNode(current);
    // A slideshow goes round from the album's last picture to its first.
    if (m_slideshow && (AlbumTreeModel::levelOf(next) != Level::Picture || next.parent() != current.parent()))
        next = m_model->index(0, 0, current.parent());
    for (const QModelIndex &node : {next, AlbumTreeView::previousNode(current)})
        if (AlbumTreeModel::levelOf(node) == Level::Picture && node.parent() == current.parent() && node != current)
            neighbours.append(m_library.pictureId(album, node.data().toString()));
    m_viewer->decodeAhead(neighbours);
}

bool MainWindow::openAlbum(const QString &album)
{
    if (!m_library.albumHasPassword(album) || m_library.isUnlocked(album))
        return true;
    const QString answer = trimText(Prompts::askPassword(tr("密码认证"), tr("相册已被密码保护!      ")));
    if (answer.isEmpty())
        return false;
    if (m_library.unlock(album, answer))
        return true;
    Prompts::showInfo(tr("提示"), tr("密码错误,拒绝访问该相册!"));
    return false;
}

// ---------------------------------------------------------------- previous / next

void MainWindow::showPreviousPicture() { stepPicture(&AlbumTreeView::previousNode); }

void MainWindow::showNextPicture() { stepPicture(&AlbumTreeView::nextNode); }

void MainWindow::stepPicture(QModelIndex (*step)(const QModelIndex &))
{
    m_viewer->leaveZoom();
    if (AlbumTreeModel::levelOf(m_tree->currentIndex()) != Level::Picture)
        return;
    const QModelIndex node = step(commandPictureNode());
    if (node.isValid())
        m_tree->selectByCode(node);
}

// ---------------------------------------------------------------- save as

QString MainWindow::joinSaveName(const QString &chosen)
{
    const QString suffix = QFileInfo(chosen).suffix();
    if (suffix.compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0
        || suffix.compare(QLatin1String("jpeg"), Qt::CaseInsensitive) == 0)
        return chosen;
    return chosen + QStringLiteral(".jpg");
}

QString MainWindow::runSaveDialog()
{
    const QString start = m_lastSaveFile.isEmpty() ? startFolder() : m_lastSaveFile;
    PictureSaveDialog dialog(start, this);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    m_lastSaveFile = dialog.selectedFiles().first();
    return m_lastSaveFile;
}

void MainWindow::savePictureAs()
{
    if (m_viewer->isEmpty())
        return;
    const QString chosen = runSaveDialog();
    if (chosen.isEmpty())
        return;
    const QImage picture = m_viewer->pictureAsShown();
    // The name and the extension are joined once: holiday and holiday.jpg
    // both give holiday.jpg.
    const QString file = joinSaveName(chosen);
    const QString suffix = QFileInfo(file).suffix();
    const QString base = file.chopped(int(suffix.size()) + 1);
    if (!m_library.savePictureFile(&picture, base, suffix))
        Prompts::showError(tr("错误"), tr("图片另存为失败!,请检查磁盘是否已满!"));
}

// ---------------------------------------------------------------- rename, delete, print

void MainWindow::renameSelectedPicture()
{
    m_viewer->leaveZoom();
    const QModelIndex node = commandPictureNode();
    if (node.isValid())
        m_tree->beginRename(node);
    else
        Prompts::showInfo(tr("提示"), tr("请选择一张图片"));
}

void MainWindow::deleteSelectedPicture()
{
    m_viewer->leaveZoom();
    const QModelIndex node = commandPictureNode();
    if (!node.isValid()) {
        Prompts::showInfo(tr("提示"), tr("请选择图片!"));
        return;
    }
    const QString album = m_model->albumOf(node);
    const QString name = trimText(node.data().toString());
    if (Prompts::askYesNo(tr("提示"), tr("确定要删除该图片吗?")) == IdNo)
        return;
    // The selection goes to the next picture, or to the album after the
    // last, before the picture's node goes.
    const QPersistentModelIndex picture(node);
    const QPersistentModelIndex albumNode(node.parent());
    m_tree->selectByCode(AlbumTreeView::selectionAfterRemoving(node));
    if (!m_library.deletePicture(album, name)) {
        m_tree->selectByCode(picture);
        Prompts::showError(tr("错误"), tr("删除指定图片失败!"));
        return;
    }
    // An album left empty closes.
    if (m_model->rowCount(albumNode) == 0 && m_tree->isExpanded(albumNode)) {
        m_tree->setExpandedByCode(albumNode, false);
        m_library.lock(album);
    }
}

void MainWindow::printPicture()
{
    if (m_viewer->isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    if (!printer.isValid()) {
        Prompts::showInfo(tr("提示"), tr("当前版本不支持图片的打印功能,请及时关注本软件的最新版本!"));
        return;
    }
    // The preview first; its print button leads to the print dialog, which
    // offers a PDF file where no printer is installed.
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("printPreview"));
    preview.setWindowTitle(tr("打印预览"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, m_viewer,
            [this](QPrinter *target) { Application::guard([&] { m_viewer->printTo(target); }); });
    preview.exec();
}

// ---------------------------------------------------------------- wallpaper

void MainWindow::setWallpaper(int style, int tile)
{
    if (m_viewer->isEmpty())
        return;
    const QImage picture = m_viewer->pictureAsShown();
    // A protected album's picture is written readable by the user alone.
    const bool fromProtectedAlbum = m_library.albumHasPassword(m_viewer->shownPicture().album);
    const QString problem = Wallpaper::set(&picture, style, tile, fromProtectedAlbum);
    if (!problem.isEmpty())
        Prompts::showWarning(tr("警告"), problem);
}

void MainWindow::setWallpaperCentred() { setWallpaper(0, 0); }
void MainWindow::setWallpaperTiled() { setWallpaper(0, 1); }
void MainWindow::setWallpaperStretched() { setWallpaper(2, 1); }
