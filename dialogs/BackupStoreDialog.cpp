#include "BackupStoreDialog.h"

#include "AlbumLibrary.h"
#include "Prompts.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

BackupStoreDialog::BackupStoreDialog(AlbumLibrary &library, const QString &storePath, QWidget *owner)
    : DialogBase(library, tr("相册库备份"), QSize(319, 144), owner), m_storePath(storePath)
{
    setObjectName(QStringLiteral("backupStoreDialog"));
    // This one dialog may be resized.
    setMinimumSize(319, 144);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    addBannerWithSeparator(43);
    addLabel(tr("请选择备份到的目录： "), 16, 60);
    targetEdit = new QLineEdit(this);
    targetEdit->setObjectName(QStringLiteral("targetEdit"));
    targetEdit->setGeometry(14, 80, 251, 17);
    browseButton = new QToolButton(this);
    browseButton->setObjectName(QStringLiteral("browseButton"));
    browseButton->setText(QStringLiteral("..."));
    browseButton->setGeometry(265, 80, 21, 17);
    browseButton->setFocusPolicy(Qt::NoFocus);
    backupButton = addButton(tr("开始备份"), QRect(97, 104, 91, 21));
    backupButton->setObjectName(QStringLiteral("backupButton"));
    closeButton = addButton(tr("关闭"), QRect(196, 104, 91, 21));
    closeButton->setObjectName(QStringLiteral("closeButton"));
    connect(browseButton, &QToolButton::clicked, this, &BackupStoreDialog::chooseTarget);
    connect(backupButton, &QPushButton::clicked, this, &BackupStoreDialog::startBackup);
    connect(closeButton, &QPushButton::clicked, this, &BackupStoreDialog::closeDialog);
    setTabOrder(targetEdit, closeButton);
    setTabOrder(closeButton, backupButton);
    targetEdit->setFocus();
}

void BackupStoreDialog::resizeEvent(QResizeEvent *event)
{
    DialogBase::resizeEvent(event);
    if (auto *banner = findChild<QLabel *>(QStringLiteral("banner")))
        banner->resize(width(), banner->height());
    if (auto *line = findChild<QWidget *>(QStringLiteral("bannerLine")))
        line->resize(width(), line->height());
}

QString BackupStoreDialog::runTargetChooser()
{
    QFileDialog dialog(this, QStringLiteral("Save file"));
    dialog.setObjectName(QStringLiteral("backupTargetChooser"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("All files (*.*)"));
    if (m_lastFile.isEmpty()) {
        dialog.setDirectory(startFolder());
    } else {
        dialog.setDirectory(QFileInfo(m_lastFile).absolutePath());
        dialog.selectFile(QFileInfo(m_lastFile).fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    m_lastFile = dialog.selectedFiles().first();
    return m_lastFile;
}

void BackupStoreDialog::chooseTarget()
{
    const QString file = runTargetChooser();
    if (!file.isEmpty())
        targetEdit->setText(file);
}

void BackupStoreDialog::startBackup()
{
    if (trimText(targetEdit->text()).isEmpty()) {
        Prompts::showInfo(tr("提示"), tr("请选择备份目录!"));
        targetEdit->setFocus();
        return;
    }
    backupButton->setEnabled(false);
    if (library().backUp(m_storePath, targetEdit->text()))
        Prompts::showInfo(tr("提示"), tr("备份相册库成功!"));
    else
        Prompts::showError(tr("错误"), tr("备份相册库失败"));
    backupButton->setEnabled(true);
}

void BackupStoreDialog::closeDialog() { close(); }
