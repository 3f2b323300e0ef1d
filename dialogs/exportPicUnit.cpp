#include "exportPicUnit.h"

#include "Artwork.h"
#include "PicDMUnit.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace {

const QString kPlaceholder = QStringLiteral("<请选择相册>");

bool isJpegFile(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0
           || suffix.compare(QLatin1String("jpeg"), Qt::CaseInsensitive) == 0;
}

} // namespace

TexportPic::TexportPic(QWidget *owner) : TDialogBase(QStringLiteral("图片导入"), QSize(596, 401), owner)
{
    setObjectName(QStringLiteral("exportPic"));
    addBanner(55);
    QLabel *title = addLabel(QStringLiteral("图片导入向导"), 18, 12);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->adjustSize();
    addLabel(QStringLiteral("可批量导入图片，每次最多可以添加50张图片"), 40, 30);
    addLine(QRect(0, 55, width(), 1));
    addLine(QRect(0, 57, width(), 1));

    LibCom = new TAlbumCombo(this);
    LibCom->setObjectName(QStringLiteral("LibCom"));
    LibCom->setGeometry(18, 74, 429, 20);
    connect(LibCom, &TAlbumCombo::dropDown, this, &TexportPic::LibComDropDown);
    connect(LibCom, &QComboBox::activated, this, &TexportPic::LibComChange);

    PicList = new QListWidget(this);
    PicList->setObjectName(QStringLiteral("PicList"));
    PicList->setGeometry(18, 97, 429, 204);
    PicList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    PicList->setIconSize(QSize(16, 16));
    PicList->setUniformItemSizes(true);
    PicList->setAcceptDrops(true);
    PicList->viewport()->setAcceptDrops(true);
    PicList->viewport()->installEventFilter(this);

    auto *column = new QFrame(this);
    column->setFrameShape(QFrame::StyledPanel);
    column->setGeometry(452, 72, 124, 229);
    column->lower();
    spSkinButton1 = addButton(QStringLiteral("选择图片"), QRect(464, 80, 99, 25));
    spSkinButton4 = addButton(QStringLiteral("删除"), QRect(464, 115, 99, 25));
    spSkinButton5 = addButton(QStringLiteral("清空列表"), QRect(464, 150, 99, 25));
    exportBtn = addButton(QStringLiteral("开始导入"), QRect(464, 262, 99, 25));
    addLine(QRect(2, 313, 597, 6));
    spSkinButton3 = addButton(QStringLiteral("关闭"), QRect(464, 331, 99, 25));
    connect(spSkinButton1, &QPushButton::clicked, this, &TexportPic::spSkinButton1Click);
    connect(spSkinButton4, &QPushButton::clicked, this, &TexportPic::spSkinButton4Click);
    connect(spSkinButton5, &QPushButton::clicked, this, &TexportPic::spSkinButton5Click);
    connect(exportBtn, &QPushButton::clicked, this, &TexportPic::exportBtnClick);
    connect(spSkinButton3, &QPushButton::clicked, this, &TexportPic::spSkinButton3Click);

    statool = new QStatusBar(this);
    statool->setObjectName(QStringLiteral("statool"));
    statool->setSizeGripEnabled(false);
    statool->setGeometry(0, height() - 21, width(), 21);
    LibTool = new QLabel(statool);
    LibTool->setObjectName(QStringLiteral("LibTool"));
    CountTool = new QLabel(statool);
    CountTool->setObjectName(QStringLiteral("CountTool"));
    processtool = new QProgressBar(statool);
    processtool->setObjectName(QStringLiteral("processtool"));
    processtool->setFixedWidth(205);
    processtool->setToolTip(QStringLiteral("正在导入图片...请您稍后!"));
    processtool->setTextVisible(true);
    statool->addWidget(LibTool);
    statool->addWidget(CountTool);
    statool->addPermanentWidget(processtool);
    FormCreate();
    FormShow();
}

void TexportPic::FormCreate()
{
    Imported = false;
    processtool->hide();
    LibTool->setText(QStringLiteral("当前相册:   "));
    CountTool->setText(QStringLiteral("  共有项目0个"));
}

void TexportPic::FormShow() { LibCom->Fill(kPlaceholder, {}); }

void TexportPic::setStatus(const QString &prefix, bool withAlbum)
{
    LibTool->setText(withAlbum ? prefix + LibCom->currentText() + QStringLiteral("  ") : prefix);
    CountTool->setText(QStringLiteral("  共有项目%1个").arg(PicList->count()));
}

void TexportPic::LibComDropDown()
{
    RefillAlbums(LibCom, kPlaceholder);
    setStatus(QStringLiteral("当前相册: "), false);
}

void TexportPic::LibComChange()
{
    const QString album = TrimText(LibCom->currentText());
    if (album == kPlaceholder)
        return;
    if (!AlbumAccessGranted(LibCom, album, QStringLiteral("访问密码不正确,不能向该相册导入相片!"), false))
        return;
    setStatus(QStringLiteral("当前相册: "), true);
}

QStringList TexportPic::RunPicDlg()
{
    TPreviewFileDialog dialog(QStringLiteral("选择图片(可多选)"), QStringLiteral("图片文件(*.jpg *.jpeg)"), this);
    dialog.setObjectName(QStringLiteral("PicDlg"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    dialog.setDirectory(m_lastPicture.isEmpty() ? QCoreApplication::applicationDirPath()
                                                : QFileInfo(m_lastPicture).absolutePath());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    QStringList files;
    for (const QString &f : dialog.selectedFiles())
        if (QFileInfo(f).isFile())
            files.append(f);
    if (!files.isEmpty())
        m_lastPicture = files.last();
    return files;
}

bool TexportPic::AddFiles(const QStringList &paths)
{
    if (paths.size() > MaxFiles || paths.size() + PicList->count() > MaxFiles) {
        PicDM->ShowWarning(QStringLiteral("警告"), QStringLiteral("每次导入图片的数量最多为50,请重新选择"));
        return false;
    }
    const QIcon icon(Artwork::ImageList().value(4));
    for (const QString &path : paths) {
        auto *item = new QListWidgetItem(icon, path, PicList);
        item->setSizeHint(QSize(0, 20));
    }
    setStatus(QStringLiteral("当前相册:  "), true);
    return true;
}

void TexportPic::spSkinButton1Click()
{
    if (PicList->count() >= MaxFiles) {
        PicDM->ShowWarning(QStringLiteral("警告"), QStringLiteral("列表中的图片项已满,请在下次执行此操作"));
        return;
    }
    const QStringList files = RunPicDlg();
    if (!files.isEmpty())
        AddFiles(files);
}

void TexportPic::spSkinButton4Click()
{
    if (PicList->count() == 0) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("请在列表中选择需删除的图片项!"));
        return;
    }
    const int row = PicList->currentRow();
    if (row >= 0)
        delete PicList->takeItem(row);
    else
        PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("删除失败!"));
    setStatus(QStringLiteral("当前相册:  "), true);
}

void TexportPic::spSkinButton5Click()
{
    PicList->clear();
    setStatus(QStringLiteral("当前相册: "), true);
}

void TexportPic::exportBtnClick()
{
    if (PicList->count() == 0) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("列表中没有可导入的图片!"));
        return;
    }
    const QString album = TrimText(LibCom->currentText());
    if (album.isEmpty() || album == kPlaceholder) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("请选择图片将要导入的相册!"));
        LibCom->setFocus();
        return;
    }
    const int albumId = PicDM->FindAlbumId(LibCom->currentText());
    if (albumId == -1) {
        PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("相册库中不存在该相册!"));
        return;
    }

    // The run works on the list as it stands now: what is added, deleted or
    // cleared meanwhile does not change it.
    QStringList files;
    for (int i = 0; i < PicList->count(); ++i)
        files.append(PicList->item(i)->text());
    const int n = int(files.size());
    bool failed = false;
    BeginRun();
    exportBtn->setEnabled(false);
    processtool->setRange(0, n);
    processtool->setValue(n);
    processtool->show();
    for (int i = 0; i < n; ++i) {
        QCoreApplication::processEvents();
        processtool->setFormat(QStringLiteral("正导入: %1/%2").arg(i + 1).arg(n));
        processtool->repaint();
        if (!PicDM->AddPicture(albumId, TrimText(files.at(i)))) {
            failed = true;
            break;
        }
        AnyImported = true;
    }
    exportBtn->setEnabled(true);
    processtool->hide();
    EndRun();
    if (failed) {
        PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("部份图片导入失败,可能该相册中包含有相同的图片名称!"));
    } else {
        Imported = true;
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("图片导入完成!"));
    }
    FinishRun();
}

void TexportPic::spSkinButton3Click() { close(); }

bool TexportPic::eventFilter(QObject *watched, QEvent *event)
{
    // Picture files dropped from a file manager join the list under the
    // same rule as chosen ones.
    if (watched == PicList->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto *drag = static_cast<QDropEvent *>(event);
            if (drag->mimeData()->hasUrls()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto *drop = static_cast<QDropEvent *>(event);
            QStringList files;
            bool skipped = false;
            for (const QUrl &url : drop->mimeData()->urls()) {
                const QString path = url.toLocalFile();
                if (QFileInfo(path).isFile() && isJpegFile(path))
                    files.append(path);
                else
                    skipped = true;
            }
            drop->acceptProposedAction();
            if (PicList->count() >= MaxFiles && !files.isEmpty())
                PicDM->ShowWarning(QStringLiteral("警告"), QStringLiteral("列表中的图片项已满,请在下次执行此操作"));
            else if (!files.isEmpty())
                AddFiles(files);
            if (skipped)
                PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("只能导入JPG图片文件,其他文件已略过!"));
            return true;
        }
    }
    return TDialogBase::eventFilter(watched, event);
}
