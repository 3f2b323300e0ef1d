// Commands on the shown picture: previous and next, save as, rename, delete,
// print, and the desktop wallpaper.

#include "Application.h"
#include "MainUnit.h"
#include "PicDMUnit.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QTreeWidget>

// ---------------------------------------------------------------- TSavePicDlg

TSavePicDlg::TSavePicDlg(const QString &start, QWidget *parent)
    : TPreviewFileDialog(QStringLiteral("Save file"), QStringLiteral("jpg文件(*.jpg)"), parent)
{
    setObjectName(QStringLiteral("SavePicDlg"));
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setDefaultSuffix(QStringLiteral("jpg"));
    const QFileInfo info(start);
    setDirectory(info.isDir() ? start : info.absolutePath());
    if (!info.isDir())
        selectFile(info.fileName());
}

// ---------------------------------------------------------------- previous / next

QTreeWidgetItem *TMainForm::NextNode(QTreeWidgetItem *node)
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

QTreeWidgetItem *TMainForm::PreviousNode(QTreeWidgetItem *node)
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

void TMainForm::selectByCode(QTreeWidgetItem *node, QTreeWidgetItem *remove)
{
    // Moves made by commands do not auto-expand, so stepping onto a
    // protected album does not ask for its password; nor does the tree's own
    // move when a node is removed.
    m_selectingByCode = true;
    PicLibView->setCurrentItem(node);
    delete remove;
    m_selectingByCode = false;
}

void TMainForm::N20Click()
{
    Zoomed = false;
    if (!CurLibNode)
        return;
    if (QTreeWidgetItem *node = PreviousNode(PicLibView->currentItem()))
        selectByCode(node);
}

void TMainForm::N21Click()
{
    Zoomed = false;
    if (!CurLibNode)
        return;
    if (QTreeWidgetItem *node = NextNode(PicLibView->currentItem()))
        selectByCode(node);
}

// ---------------------------------------------------------------- save as

QString TMainForm::JoinSaveName(const QString &chosen)
{
    const QString suffix = QFileInfo(chosen).suffix();
    if (suffix.compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0
        || suffix.compare(QLatin1String("jpeg"), Qt::CaseInsensitive) == 0)
        return chosen;
    return chosen + QStringLiteral(".jpg");
}

QString TMainForm::RunSavePicDlg()
{
    const QString start = m_lastSaveFile.isEmpty() ? QCoreApplication::applicationDirPath() : m_lastSaveFile;
    TSavePicDlg dialog(start, this);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    m_lastSaveFile = dialog.selectedFiles().first();
    return m_lastSaveFile;
}

void TMainForm::N10Click()
{
    const QImage picture = MainImage->Picture();
    if (picture.isNull())
        return;
    const QString chosen = RunSavePicDlg();
    if (chosen.isEmpty())
        return;
    // The name and the extension are joined once: holiday and holiday.jpg
    // both give holiday.jpg.
    const QString file = JoinSaveName(chosen);
    const QString suffix = QFileInfo(file).suffix();
    const QString base = file.chopped(int(suffix.size()) + 1);
    if (!PicDM->SavePictureFile(&picture, base, suffix))
        PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("图片另存为失败!,请检查磁盘是否已满!"));
}

// ---------------------------------------------------------------- rename, delete, print

void TMainForm::N9Click()
{
    Zoomed = false;
    PicSrollResize();
    QTreeWidgetItem *node = PicLibView->currentItem();
    if (LevelOf(node) == NodeLevel::Picture)
        BeginRename(node);
    else
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("请选择一张图片"));
}

void TMainForm::N8Click()
{
    Zoomed = false;
    QTreeWidgetItem *node = PicLibView->currentItem();
    if (LevelOf(node) != NodeLevel::Picture) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("请选择图片!"));
        return;
    }
    QTreeWidgetItem *album = node->parent();
    const int albumId = PicDM->FindAlbumId(TrimText(album->text(0)));
    if (PicDM->AskYesNo(QStringLiteral("提示"), QStringLiteral("确定要删除该图片吗?")) == IdNo)
        return;
    if (!PicDM->DeletePicture(albumId, TrimText(node->text(0)))) {
        PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("删除指定图片失败!"));
        return;
    }
    // The selection goes to the next picture, or to the album after the last.
    const int i = album->indexOfChild(node);
    selectByCode(i + 1 < album->childCount() ? album->child(i + 1) : album, node);
    if (album->childCount() == 0) {
        album->setExpanded(false);
        PicLibViewGetImageIndex(album);
    }
}

void TMainForm::N11Click()
{
    PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("当前版本不支持图片的打印功能,请及时关注本软件的最新版本!"));
}

// ---------------------------------------------------------------- wallpaper

void TMainForm::setWallpaper(int style, int tile)
{
    const QImage picture = MainImage->Picture();
    if (picture.isNull())
        return;
    const QString problem = PicDM->SetWallpaper(&picture, style, tile);
    if (!problem.isEmpty())
        PicDM->ShowWarning(QStringLiteral("警告"), problem);
}

void TMainForm::N24Click() { setWallpaper(0, 0); }
void TMainForm::N25Click() { setWallpaper(0, 1); }
void TMainForm::N26Click() { setWallpaper(2, 1); }
