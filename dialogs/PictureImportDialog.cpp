#include "PictureImportDialog.h"

#include "PreviewFileDialog.h"

#include "AlbumLibrary.h"
#include "Artwork.h"
#include "JpegCodec.h"
#include "PictureCodec.h"
#include "Prompts.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace {

QString placeholder() { return QCoreApplication::translate("PictureImportDialog", "<请选择相册>"); }

// Why the viewer could not show the file, in Chinese; empty when it could.
// Its header decides, whatever its name says: read from the first
// megabyte, or from more where the header goes on.
QString whyNotShowable(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return QCoreApplication::translate("PictureImportDialog", "不是文件");
    if (!file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate("PictureImportDialog", "无法读取 (%1)").arg(file.errorString());
    if (file.size() == 0)
        return QCoreApplication::translate("PictureImportDialog", "文件是空的");
    QByteArray start = file.read(1 << 20);
    for (;;) {
        try {
            PictureCodec::checkHeader(start, file.size());
            return QString();
        } catch (const JpegCodec::JpegError &e) {
            if (e.code() != JpegCodec::HeaderIncomplete)
                return QString::fromUtf8(e.what()).section(QLatin1Char('\n'), 0, 0);
        }
        start += file.readAll();
    }
}

// What the user is told when a picture could not be stored: the duplicate
// name the dialog has always named, or the real cause.
QString importFailureMessage(const QString &file, const AlbumLibrary::PictureFailure &failure)
{
    using Failure = AlbumLibrary::PictureFailure;
    if (failure.kind == Failure::DuplicateName || failure.kind == Failure::None)
        return QCoreApplication::translate("PictureImportDialog", "部份图片导入失败,可能该相册中包含有相同的图片名称!");
    const QString cause = AlbumLibrary::pictureFailureCause(failure);
    return QCoreApplication::translate("PictureImportDialog", "图片 %1 导入失败: %2\n在它之前的图片已经导入。")
        .arg(QFileInfo(file).fileName(), cause);
}

} // namespace

PictureImportDialog::PictureImportDialog(AlbumLibrary &library, QWidget *owner)
    : DialogBase(library, tr("图片导入"), QSize(596, 401), owner)
{
    setObjectName(QStringLiteral("pictureImportDialog"));
    addBanner(55);
    QLabel *title = addLabel(tr("图片导入向导"), 18, 12);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->adjustSize();
    addLabel(tr("可批量导入图片，每次最多可以添加50张图片"), 40, 30);
    addLine(QRect(0, 55, width(), 1));
    addLine(QRect(0, 57, width(), 1));

    albumChooser = new AlbumChooser(this);
    albumChooser->setObjectName(QStringLiteral("albumChooser"));
    albumChooser->setGeometry(18, 74, 429, 20);
    connect(albumChooser, &AlbumChooser::dropDown, this, &PictureImportDialog::albumListOpening);
    connect(albumChooser, &QComboBox::activated, this, &PictureImportDialog::albumChosen);

    fileList = new QListWidget(this);
    fileList->setObjectName(QStringLiteral("fileList"));
    fileList->setGeometry(18, 97, 429, 204);
    fileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    fileList->setIconSize(QSize(16, 16));
    fileList->setUniformItemSizes(true);
    fileList->setAcceptDrops(true);
    fileList->viewport()->setAcceptDrops(true);
    fileList->viewport()->installEventFilter(this);

    auto *column = new QFrame(this);
    column->setFrameShape(QFrame::StyledPanel);
    column->setGeometry(452, 72, 124, 229);
    column->lower();
    choosePicturesButton = addButton(tr("选择图片"), QRect(464, 80, 99, 25));
    deleteItemButton = addButton(tr("删除"), QRect(464, 115, 99, 25));
    clearListButton = addButton(tr("清空列表"), QRect(464, 150, 99, 25));
    importButton = addButton(tr("开始导入"), QRect(464, 262, 99, 25));
    addLine(QRect(2, 313, 597, 6));
    closeButton = addButton(tr("关闭"), QRect(464, 331, 99, 25));
    connect(choosePicturesButton, &QPushButton::clicked, this, &PictureImportDialog::choosePictures);
    connect(deleteItemButton, &QPushButton::clicked, this, &PictureImportDialog::deleteSelectedListItem);
    connect(clearListButton, &QPushButton::clicked, this, &PictureImportDialog::clearList);
    connect(importButton, &QPushButton::clicked, this, &PictureImportDialog::startImport);
    connect(closeButton, &QPushButton::clicked, this, &PictureImportDialog::closeDialog);

    statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("statusBar"));
    statusBar->setSizeGripEnabled(false);
    statusBar->setGeometry(0, height() - 21, width(), 21);
    albumStatus = new QLabel(statusBar);
    albumStatus->setObjectName(QStringLiteral("albumStatus"));
    countStatus = new QLabel(statusBar);
    countStatus->setObjectName(QStringLiteral("countStatus"));
    progressBar = new QProgressBar(statusBar);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setFixedWidth(205);
    progressBar->setToolTip(tr("正在导入图片...请您稍后!"));
    progressBar->setTextVisible(true);
    statusBar->addWidget(albumStatus);
    statusBar->addWidget(countStatus);
    statusBar->addPermanentWidget(progressBar);
    resetForm();
    resetAlbumChooser();
}

void PictureImportDialog::resetForm()
{
    progressBar->hide();
    albumStatus->setText(tr("当前相册:   "));
    countStatus->setText(tr("  共有项目0个"));
}

void PictureImportDialog::resetAlbumChooser() { albumChooser->fill(placeholder(), {}); }

void PictureImportDialog::setStatus(const QString &prefix, bool withAlbum)
{
    albumStatus->setText(withAlbum ? prefix + albumChooser->currentText() + QStringLiteral("  ") : prefix);
    countStatus->setText(tr("  共有项目%1个").arg(fileList->count()));
}

void PictureImportDialog::albumListOpening()
{
    refillAlbumChooser(library(), albumChooser, placeholder());
    setStatus(tr("当前相册: "), false);
}

void PictureImportDialog::albumChosen()
{
    const QString album = trimText(albumChooser->currentText());
    if (album == placeholder())
        return;
    if (!albumAccessGranted(albumChooser, album, tr("访问密码不正确,不能向该相册导入相片!"), false))
        return;
    setStatus(tr("当前相册: "), true);
}

QStringList PictureImportDialog::runPictureChooser()
{
    PreviewFileDialog dialog(tr("选择图片(可多选)"), tr("图片文件(*.jpg *.jpeg *.png *.webp *.tif *.tiff *.gif *.bmp)"),
                             this);
    dialog.setObjectName(QStringLiteral("pictureChooser"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    dialog.setDirectory(m_lastPicture.isEmpty() ? startFolder()
                                                : QFileInfo(m_lastPicture).absolutePath());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    QStringList files;
    for (const QString &f : dialog.selectedFilesInListOrder())
        if (QFileInfo(f).isFile())
            files.append(f);
    if (!files.isEmpty())
        m_lastPicture = files.last();
    return files;
}

bool PictureImportDialog::addFiles(const QStringList &paths)
{
    if (paths.size() > MaxFiles || paths.size() + fileList->count() > MaxFiles) {
        Prompts::showWarning(tr("警告"), tr("每次导入图片的数量最多为50,请重新选择"));
        return false;
    }
    const QIcon icon(Artwork::imageList().value(4));
    for (const QString &path : paths) {
        auto *item = new QListWidgetItem(icon, path, fileList);
        item->setSizeHint(QSize(0, 20));
    }
    setStatus(tr("当前相册:  "), true);
    return true;
}

void PictureImportDialog::choosePictures()
{
    if (fileList->count() >= MaxFiles) {
        Prompts::showWarning(tr("警告"), tr("列表中的图片项已满,请在下次执行此操作"));
        return;
    }
    const QStringList files = runPictureChooser();
    if (!files.isEmpty())
        addPictureFiles(files);
}

void PictureImportDialog::deleteSelectedListItem()
{
    if (fileList->count() == 0) {
        Prompts::showInfo(tr("提示"), tr("请在列表中选择需删除的图片项!"));
        return;
    }
    const int row = fileList->currentRow();
    if (row >= 0)
        delete fileList->takeItem(row);
    else
        Prompts::showError(tr("错误"), tr("删除失败!"));
    setStatus(tr("当前相册:  "), true);
}

void PictureImportDialog::clearList()
{
    fileList->clear();
    setStatus(tr("当前相册: "), true);
}

void PictureImportDialog::startImport()
{
    if (fileList->count() == 0) {
        Prompts::showInfo(tr("提示"), tr("列表中没有可导入的图片!"));
        return;
    }
    const QString album = trimText(albumChooser->currentText());
    if (album.isEmpty() || album == placeholder()) {
        Prompts::showInfo(tr("提示"), tr("请选择图片将要导入的相册!"));
        albumChooser->setFocus();
        return;
    }
    if (!library().albumExists(album)) {
        Prompts::showError(tr("错误"), tr("相册库中不存在该相册!"));
        return;
    }

    // The run works on the list as it stands now: what is added, deleted or
    // cleared meanwhile does not change it.
    QStringList files;
    for (int i = 0; i < fileList->count(); ++i)
        files.append(fileList->item(i)->text());
    const int n = int(files.size());
    bool failed = false;
    QString failedFile;
    AlbumLibrary::PictureFailure failure;
    beginRun();
    importButton->setEnabled(false);
    progressBar->setRange(0, n);
    progressBar->setValue(n);
    progressBar->show();
    // The next file is read and hashed on another thread while one is
    // stored.
    for (QString &file : files)
        file = trimText(file);
    PictureImport::FilesAhead ahead(files, library().contentHasher(album), PictureImport::ReadAhead::OnAnotherThread);
    for (int i = 0; i < n; ++i) {
        QCoreApplication::processEvents();
        progressBar->setFormat(tr("正导入: %1/%2").arg(i + 1).arg(n));
        progressBar->repaint();
        if (!library().addPicture(album, files.at(i), ahead.next(), &failure)) {
            failed = true;
            failedFile = files.at(i);
            break;
        }
    }
    importButton->setEnabled(true);
    progressBar->hide();
    endRun();
    if (failed) {
        Prompts::showError(tr("错误"), importFailureMessage(failedFile, failure));
    } else {
        Prompts::showInfo(tr("提示"), tr("图片导入完成!"));
    }
    finishRun();
}

void PictureImportDialog::closeDialog() { close(); }

void PictureImportDialog::addPictureFiles(const QStringList &paths)
{
    QStringList files;
    QStringList skipped;
    for (const QString &path : paths) {
        const QString why = whyNotShowable(path);
        if (why.isEmpty())
            files.append(QFileInfo(path).absoluteFilePath());
        else
            skipped.append(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), why));
    }
    if (fileList->count() >= MaxFiles && !files.isEmpty())
        Prompts::showWarning(tr("警告"), tr("列表中的图片项已满,请在下次执行此操作"));
    else if (!files.isEmpty())
        addFiles(files);
    // Which files were left out, and why; the first few, with the count of
    // the rest.
    if (!skipped.isEmpty()) {
        constexpr int kNamed = 10;
        QString text = tr("以下文件不是本程序能显示的图片,已略过:\n") + skipped.mid(0, kNamed).join(QLatin1Char('\n'));
        if (skipped.size() > kNamed)
            text += tr("\n……还有 %1 个文件").arg(skipped.size() - kNamed);
        Prompts::showInfo(tr("提示"), text);
    }
}

bool PictureImportDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Picture files dropped from a file manager join the list under the
    // same rule as chosen ones.
    if (watched == fileList->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto *drag = static_cast<QDropEvent *>(event);
            if (drag->mimeData()->hasUrls()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto *drop = static_cast<QDropEvent *>(event);
            QStringList paths;
            for (const QUrl &url : drop->mimeData()->urls())
                paths.append(url.toLocalFile());
            drop->acceptProposedAction();
            addPictureFiles(paths);
            return true;
        }
    }
    return DialogBase::eventFilter(watched, event);
}
