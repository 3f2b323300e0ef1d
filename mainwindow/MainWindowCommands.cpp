// Commands on the shown picture: previous and next, save as, rename, delete,
// print, and the desktop wallpaper.

#include "MainWindow.h"

#include "AlbumLibrary.h"
#include "Application.h"
#include "DialogBase.h"
#include "ImageOps.h"
#include "PictureSaveDialog.h"
#include "Prompts.h"
#include "TextRules.h"
#include "Wallpaper.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QFileInfo>
#include <QLabel>
#include <QTreeWidget>

// ---------------------------------------------------------------- previous / next

QTreeWidgetItem *MainWindow::nextNode(QTreeWidgetItem *node)
{
    if (!node)
        return nullptr;
    if (node->childCount() > 0)
        return node->child(0);
    for (QTreeWidgetItem *n = node; n; n = n->parent()) {
        QTreeWidgetItem *parent = n->parent();
        if (!parent) {
            QTreeWidget *tree = n->treeWidget();
            const int i = tree ? tree->indexOfTopLevelItem(n) : -1;
            return tree && i + 1 < tree->topLevelItemCount() ? tree->topLevelItem(i + 1) : nullptr;
        }
        const int i = parent->indexOfChild(n);
        if (i + 1 < parent->childCount())
            return parent->child(i + 1);
    }
    return nullptr;
}

QTreeWidgetItem *MainWindow::previousNode(QTreeWidgetItem *node)
{
    if (!node)
        return nullptr;
    QTreeWidgetItem *parent = node->parent();
    QTreeWidgetItem *previous = nullptr;
    if (parent) {
        const int i = parent->indexOfChild(node);
        previous = i > 0 ? parent->child(i - 1) : nullptr;
    } else if (QTreeWidget *tree = node->treeWidget()) {
        const int i = tree->indexOfTopLevelItem(node);
        previous = i > 0 ? tree->topLevelItem(i - 1) : nullptr;
    }
    if (!previous)
        return parent;
    while (previous->childCount() > 0)
        previous = previous->child(previous->childCount() - 1);
    return previous;
}

void MainWindow::selectByCode(QTreeWidgetItem *node, QTreeWidgetItem *remove)
{
    // Moves made by commands do not auto-expand, so stepping onto a
    // protected album does not ask for its password; nor does the tree's own
    // move when a node is removed.
    m_selectingByCode = true;
    albumTree->setCurrentItem(node);
    delete remove;
    m_selectingByCode = false;
}

void MainWindow::removeDeletedNode(QTreeWidgetItem *node)
{
    QTreeWidgetItem *parent = node->parent();
    const int i = parent->indexOfChild(node);
    selectByCode(i + 1 < parent->childCount() ? parent->child(i + 1) : parent, node);
    if (parent->childCount() == 0) {
        parent->setExpanded(false);
        updateNodeImage(parent);
    }
}

void MainWindow::showPreviousPicture()
{
    zoomed = false;
    if (!currentAlbumNode)
        return;
    if (QTreeWidgetItem *node = previousNode(commandPictureNode()))
        selectByCode(node);
}

void MainWindow::showNextPicture()
{
    zoomed = false;
    if (!currentAlbumNode)
        return;
    if (QTreeWidgetItem *node = nextNode(commandPictureNode()))
        selectByCode(node);
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
    if (pictureView->picture().isNull())
        return;
    const QString chosen = runSaveDialog();
    if (chosen.isEmpty())
        return;
    const QImage picture = pictureAsShown();
    // The name and the extension are joined once: holiday and holiday.jpg
    // both give holiday.jpg.
    const QString file = joinSaveName(chosen);
    const QString suffix = QFileInfo(file).suffix();
    const QString base = file.chopped(int(suffix.size()) + 1);
    if (!m_library.savePictureFile(&picture, base, suffix))
        Prompts::showError(QStringLiteral("错误"), QStringLiteral("图片另存为失败!,请检查磁盘是否已满!"));
}

// ---------------------------------------------------------------- rename, delete, print

void MainWindow::renameSelectedPicture()
{
    zoomed = false;
    viewerResized();
    if (QTreeWidgetItem *node = commandPictureNode())
        beginRename(node);
    else
        Prompts::showInfo(QStringLiteral("提示"), QStringLiteral("请选择一张图片"));
}

void MainWindow::deleteSelectedPicture()
{
    zoomed = false;
    QTreeWidgetItem *node = commandPictureNode();
    if (!node) {
        Prompts::showInfo(QStringLiteral("提示"), QStringLiteral("请选择图片!"));
        return;
    }
    const QString album = trimText(node->parent()->text(0));
    if (Prompts::askYesNo(QStringLiteral("提示"), QStringLiteral("确定要删除该图片吗?")) == IdNo)
        return;
    if (!m_library.deletePicture(album, trimText(node->text(0)))) {
        Prompts::showError(QStringLiteral("错误"), QStringLiteral("删除指定图片失败!"));
        return;
    }
    forgetDecodedPictures();
    removeDeletedNode(node);
}

void MainWindow::printPicture()
{
    if (pictureView->picture().isNull())
        return;
    QPrinter printer(QPrinter::HighResolution);
    if (!printer.isValid()) {
        Prompts::showInfo(QStringLiteral("提示"),
                          QStringLiteral("当前版本不支持图片的打印功能,请及时关注本软件的最新版本!"));
        return;
    }
    // The preview first; its print button leads to the print dialog, which
    // offers a PDF file where no printer is installed.
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("printPreview"));
    preview.setWindowTitle(QStringLiteral("打印预览"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &MainWindow::printPictureTo);
    preview.exec();
}

void MainWindow::printPictureTo(QPrinter *printer)
{
    // The picture at full resolution, turned as it is shown.
    QImage picture = fullResolution();
    for (int i = 0; i < m_quarterTurns; ++i)
        ImageOps::rotateQuarter(picture, true);
    if (picture.isNull())
        return;
    QPainter painter(printer);
    const QRect page = painter.viewport();
    // Turned to the page's orientation, and as large as the printable area
    // allows at the picture's own proportions.
    if ((page.width() > page.height()) != (picture.width() > picture.height()) && picture.width() != picture.height())
        ImageOps::rotateQuarter(picture, true);
    const QSize size = picture.size().scaled(page.size(), Qt::KeepAspectRatio);
    const QRect target(page.x() + (page.width() - size.width()) / 2, page.y() + (page.height() - size.height()) / 2,
                       size.width(), size.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture);
}

// ---------------------------------------------------------------- wallpaper

void MainWindow::setWallpaper(int style, int tile)
{
    if (pictureView->picture().isNull())
        return;
    const QImage picture = pictureAsShown();
    // A protected album's picture is written readable by the user alone.
    const bool fromProtectedAlbum = m_library.albumHasPassword(m_shown.album);
    const QString problem = Wallpaper::set(&picture, style, tile, fromProtectedAlbum);
    if (!problem.isEmpty())
        Prompts::showWarning(QStringLiteral("警告"), problem);
}

void MainWindow::setWallpaperCentred() { setWallpaper(0, 0); }
void MainWindow::setWallpaperTiled() { setWallpaper(0, 1); }
void MainWindow::setWallpaperStretched() { setWallpaper(2, 1); }
