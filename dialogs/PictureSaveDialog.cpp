#include "PictureSaveDialog.h"

#include <QFileInfo>

PictureSaveDialog::PictureSaveDialog(const QString &start, QWidget *parent)
    : PreviewFileDialog(QStringLiteral("Save file"), tr("jpg文件(*.jpg)"), parent)
{
    setObjectName(QStringLiteral("pictureSaveDialog"));
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setDefaultSuffix(QStringLiteral("jpg"));
    const QFileInfo info(start);
    setDirectory(info.isDir() ? start : info.absolutePath());
    if (!info.isDir())
        selectFile(info.fileName());
}
