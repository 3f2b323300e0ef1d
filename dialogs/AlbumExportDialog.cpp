#include "AlbumExportDialog.h"

#include "AlbumLibrary.h"
#include "FileWriting.h"
#include "Prompts.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

namespace {

QString placeholder() { return QCoreApplication::translate("AlbumExportDialog", "<选择相册>"); }

} // namespace

AlbumExportDialog::AlbumExportDialog(AlbumLibrary &library, QWidget *owner)
    : DialogBase(library, tr("相册导出"), QSize(384, 194), owner)
{
    setObjectName(QStringLiteral("albumExportDialog"));
    addBannerWithSeparator(43);
    addLabel(tr("相册："), 29, 72);
    albumChooser = new AlbumChooser(this);
    albumChooser->setObjectName(QStringLiteral("albumChooser"));
    albumChooser->setGeometry(72, 69, 283, 20);
    albumChooser->fill(placeholder(), {});
    connect(albumChooser, &AlbumChooser::dropDown, this, &AlbumExportDialog::albumListOpening);
    connect(albumChooser, &QComboBox::activated, this, &AlbumExportDialog::albumChosen);
    addLabel(tr("导出到："), 16, 107);
    targetFolderEdit = new QLineEdit(this);
    targetFolderEdit->setObjectName(QStringLiteral("targetFolderEdit"));
    targetFolderEdit->setGeometry(72, 105, 265, 18);
    browseButton = new QToolButton(this);
    browseButton->setObjectName(QStringLiteral("browseButton"));
    browseButton->setText(QStringLiteral("..."));
    browseButton->setGeometry(337, 105, 18, 18);
    browseButton->setFocusPolicy(Qt::NoFocus);
    exportButton = addButton(tr("开始导出"), QRect(168, 134, 91, 21));
    exportButton->setObjectName(QStringLiteral("exportButton"));
    closeButton = addButton(tr("关闭"), QRect(264, 134, 91, 21));
    closeButton->setObjectName(QStringLiteral("closeButton"));
    connect(browseButton, &QToolButton::clicked, this, &AlbumExportDialog::chooseTargetFolder);
    connect(exportButton, &QPushButton::clicked, this, &AlbumExportDialog::startExport);
    connect(closeButton, &QPushButton::clicked, this, &AlbumExportDialog::closeDialog);
    setTabOrder(albumChooser, targetFolderEdit);
    setTabOrder(targetFolderEdit, closeButton);
    setTabOrder(closeButton, exportButton);

    statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("statusBar"));
    statusBar->setSizeGripEnabled(false);
    statusBar->setGeometry(0, height() - 18, width(), 18);
    albumStatus = new QLabel(tr("当前相册："), statusBar);
    albumStatus->setObjectName(QStringLiteral("albumStatus"));
    progressLabel = new QLabel(statusBar);
    progressLabel->setObjectName(QStringLiteral("progressLabel"));
    statusBar->addWidget(albumStatus);
    statusBar->addWidget(progressLabel, 1);
    progressLabel->hide();
    albumChooser->setFocus();
}

void AlbumExportDialog::albumListOpening()
{
    refillAlbumChooser(library(), albumChooser, placeholder());
    albumStatus->setText(tr("当前相册: "));
}

void AlbumExportDialog::albumChosen()
{
    const QString album = trimText(albumChooser->currentText());
    if (album == placeholder())
        return;
    if (!albumAccessGranted(albumChooser, album, tr("访问密码不正确,不能导出该相册的相片!"), true))
        return;
    albumStatus->setText(tr("当前相册: ") + albumChooser->currentText() + QStringLiteral("  "));
}

QString AlbumExportDialog::runFolderChooser()
{
    QFileDialog dialog(this, tr("选择文件夹"));
    dialog.setObjectName(QStringLiteral("folderChooser"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    if (!m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir())
        dialog.setDirectory(m_lastFolder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    m_lastFolder = dialog.selectedFiles().first();
    return m_lastFolder;
}

void AlbumExportDialog::chooseTargetFolder()
{
    const QString folder = runFolderChooser();
    if (!folder.isEmpty())
        targetFolderEdit->setText(QDir::toNativeSeparators(folder));
}

QString AlbumExportDialog::exportFolder(const QString &target, const QString &album)
{
    if (album.isEmpty() || !safeEntryName(album))
        return QString();
    QString folder = trimText(target);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + album;
}

void AlbumExportDialog::startExport()
{
    const QString album = trimText(albumChooser->currentText());
    if (album.isEmpty() || album == placeholder()) {
        Prompts::showInfo(tr("提示"), tr("请选择一个相册!"));
        albumChooser->setFocus();
        return;
    }
    if (trimText(targetFolderEdit->text()).isEmpty()) {
        Prompts::showInfo(tr("提示"), tr("请选择将导出到的目录"));
        targetFolderEdit->setFocus();
        return;
    }
    // Only the album's own folder is ever made, inside a folder that exists.
    // An album folder that is a link would take the pictures elsewhere.
    const QString folder = exportFolder(targetFolderEdit->text(), albumChooser->currentText());
    const QFileInfo folderInfo(folder);
    if (folder.isEmpty() || folderInfo.isSymLink() || !(folderInfo.isDir() || QDir().mkdir(folder))) {
        Prompts::showError(tr("错误"), tr("导出的目录语法是否拼写错误或磁盘是否已满!"));
        return;
    }
    run(folder, trimText(albumChooser->currentText()));
}

void AlbumExportDialog::run(const QString &folder, const QString &album)
{
    const QList<int> ids = library().pictureIds(album);
    if (ids.isEmpty()) {
        Prompts::showInfo(tr("提示"), tr("该相册下暂未发现图片!"));
        return;
    }
    // Whatever way the run ends, the dialog is usable again after it.
    struct Running
    {
        AlbumExportDialog *form;
        explicit Running(AlbumExportDialog *f) : form(f)
        {
            form->beginRun();
            form->exportButton->setEnabled(false);
            form->progressLabel->show();
        }
        ~Running()
        {
            form->progressLabel->hide();
            form->exportButton->setEnabled(true);
            form->endRun();
        }
    };
    bool failed = false;
    QString why;
    {
        const Running running(this);
        // Each file holds the original file as it was imported, with its
        // full quality and its camera's data; a picture that does not
        // decrypt is not written at all, nor any after it.
        try {
            const int written = library().exportPictures(ids, folder, [&](int pictureId) {
                QCoreApplication::processEvents();
                progressLabel->setText(tr("正在导出:   ") + folder + QLatin1Char('/') + QString::number(pictureId));
                progressLabel->repaint();
            });
            failed = written < ids.size();
        } catch (const AlbumCipher::CipherError &e) {
            why = QString::fromUtf8(e.what());
            failed = true;
        }
    }
    if (failed)
        Prompts::showError(tr("错误"), why.isEmpty() ? tr("导出图片失败!") : tr("导出图片失败!\n") + why);
    else
        Prompts::showInfo(tr("提示"), tr("导出图片已完成!"));
    finishRun();
}

void AlbumExportDialog::closeDialog() { close(); }
