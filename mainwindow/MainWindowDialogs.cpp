// The commands that open a dialog, and the deletion of an album. The
// dialogs act through the library; the tree and the viewer follow what it
// announces.

#include "MainWindow.h"

#include "AboutDialog.h"
#include "AlbumExportDialog.h"
#include "AlbumLibrary.h"
#include "AlbumTreeModel.h"
#include "AlbumTreeView.h"
#include "BackupStoreDialog.h"
#include "ChangeAlbumPasswordDialog.h"
#include "CompactStoreDialog.h"
#include "LegacyImportDialog.h"
#include "NewAlbumDialog.h"
#include "FolderImportDialog.h"
#include "PictureImportDialog.h"
#include "Prompts.h"
#include "SetAlbumPasswordDialog.h"
#include "TextRules.h"

#include <QTimer>

void MainWindow::newAlbum()
{
    NewAlbumDialog dialog(m_library, this);
    dialog.exec();
}

void MainWindow::deleteSelectedAlbum()
{
    const QModelIndex node = m_tree->currentIndex();
    if (AlbumTreeModel::levelOf(node) != AlbumTreeModel::Level::Album) {
        Prompts::showInfo(tr("提示"), tr("请您选择一个待删除的相册!"));
        return;
    }
    const QString name = trimText(node.data().toString());
    // The album opened to be deleted is closed again if it stays.
    const AlbumLibraryTask opened(m_library);
    if (m_library.albumHasPassword(name)) {
        const QString answer = trimText(Prompts::askPassword(tr("密码认证"), tr("提示: 该相册已设置了访问密码!")));
        if (answer.isEmpty())
            return;
        if (!m_library.unlock(name, answer)) {
            Prompts::showError(tr("错误"), tr("访问密码不正确,不能删除该相册!"));
            return;
        }
    }
    if (Prompts::askYesNo(tr("提示"), tr("您确定要删除： %1  这个相册吗?").arg(node.data().toString())) == IdNo)
        return;
    // The selection goes to the next album, or to the root after the last,
    // before the album's node goes.
    const QPersistentModelIndex album(node);
    m_tree->selectByCode(AlbumTreeView::selectionAfterRemoving(node));
    if (!m_library.deleteAlbum(name)) {
        m_tree->selectByCode(album);
        Prompts::showError(tr("错误"), tr("删除相册时出错!"));
    }
}

void MainWindow::importPictures() { importPictureFiles(QStringList()); }

void MainWindow::importPictureFiles(const QStringList &files)
{
    PictureImportDialog dialog(m_library, this);
    // Listed once the dialog is up, so that what is said of them stands
    // over it.
    if (!files.isEmpty())
        QTimer::singleShot(0, &dialog, [&dialog, files] { dialog.addPictureFiles(files); });
    dialog.exec();
}

void MainWindow::importFolder() { importFolderPaths(QStringList()); }

void MainWindow::importFolderPaths(const QStringList &paths)
{
    FolderImportDialog dialog(m_library, this);
    if (!paths.isEmpty())
        dialog.setPaths(paths);
    dialog.exec();
}

void MainWindow::exportAlbum()
{
    AlbumExportDialog dialog(m_library, this);
    dialog.exec();
}

void MainWindow::compactAlbumStore()
{
    CompactStoreDialog dialog(m_library, m_storePath, this);
    dialog.exec();
}

void MainWindow::backUpAlbumStore()
{
    BackupStoreDialog dialog(m_library, m_storePath, this);
    dialog.exec();
}

void MainWindow::importLegacyStore()
{
    const QString file = chooseLegacyStore(this);
    if (!file.isEmpty())
        importLegacyStoreFile(file);
}

void MainWindow::importLegacyStoreFile(const QString &file)
{
    LegacyImportDialog dialog(m_library, file, this);
    dialog.exec();
}

void MainWindow::setAlbumPasswordCommand()
{
    SetAlbumPasswordDialog dialog(m_library, this);
    dialog.exec();
}

void MainWindow::changeAlbumPasswordCommand()
{
    ChangeAlbumPasswordDialog dialog(m_library, this);
    dialog.exec();
}

void MainWindow::showAbout()
{
    AboutDialog dialog(this);
    dialog.exec();
}
