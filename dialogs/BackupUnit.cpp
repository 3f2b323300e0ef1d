#include "BackupUnit.h"

#include "PicDMUnit.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

TBackupForm::TBackupForm(const QString &storePath, QWidget *owner)
    : TDialogBase(QStringLiteral("相册库备份"), QSize(319, 144), owner), m_storePath(storePath)
{
    setObjectName(QStringLiteral("BackupForm"));
    // This one dialog may be resized.
    setMinimumSize(319, 144);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    addBannerWithSeparator(43);
    addLabel(QStringLiteral("请选择备份到的目录： "), 16, 60);
    DirEdit = new QLineEdit(this);
    DirEdit->setObjectName(QStringLiteral("DirEdit"));
    DirEdit->setGeometry(14, 80, 251, 17);
    spSkinSpeedButton1 = new QToolButton(this);
    spSkinSpeedButton1->setObjectName(QStringLiteral("spSkinSpeedButton1"));
    spSkinSpeedButton1->setText(QStringLiteral("..."));
    spSkinSpeedButton1->setGeometry(265, 80, 21, 17);
    spSkinSpeedButton1->setFocusPolicy(Qt::NoFocus);
    BackupBtn = addButton(QStringLiteral("开始备份"), QRect(97, 104, 91, 21));
    BackupBtn->setObjectName(QStringLiteral("BackupBtn"));
    spSkinButton1 = addButton(QStringLiteral("关闭"), QRect(196, 104, 91, 21));
    spSkinButton1->setObjectName(QStringLiteral("spSkinButton1"));
    connect(spSkinSpeedButton1, &QToolButton::clicked, this, &TBackupForm::spSkinSpeedButton1Click);
    connect(BackupBtn, &QPushButton::clicked, this, &TBackupForm::BackupBtnClick);
    connect(spSkinButton1, &QPushButton::clicked, this, &TBackupForm::spSkinButton1Click);
    setTabOrder(DirEdit, spSkinButton1);
    setTabOrder(spSkinButton1, BackupBtn);
    DirEdit->setFocus();
}

void TBackupForm::resizeEvent(QResizeEvent *event)
{
    TDialogBase::resizeEvent(event);
    if (auto *banner = findChild<QLabel *>(QStringLiteral("Image1")))
        banner->resize(width(), banner->height());
    if (auto *line = findChild<QWidget *>(QStringLiteral("RzSeparator1")))
        line->resize(width(), line->height());
}

QString TBackupForm::RunSaveDBDlg()
{
    QFileDialog dialog(this, QStringLiteral("Save file"));
    dialog.setObjectName(QStringLiteral("SaveDBDlg"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("All files (*.*)"));
    if (m_lastFile.isEmpty()) {
        dialog.setDirectory(QCoreApplication::applicationDirPath());
    } else {
        dialog.setDirectory(QFileInfo(m_lastFile).absolutePath());
        dialog.selectFile(QFileInfo(m_lastFile).fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    m_lastFile = dialog.selectedFiles().first();
    return m_lastFile;
}

void TBackupForm::spSkinSpeedButton1Click()
{
    const QString file = RunSaveDBDlg();
    if (!file.isEmpty())
        DirEdit->setText(file);
}

void TBackupForm::BackupBtnClick()
{
    if (TrimText(DirEdit->text()).isEmpty()) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("请选择备份目录!"));
        DirEdit->setFocus();
        return;
    }
    BackupBtn->setEnabled(false);
    if (PicDM->BackupStore(m_storePath, DirEdit->text()))
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("备份相册库成功!"));
    else
        PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("备份相册库失败"));
    BackupBtn->setEnabled(true);
}

void TBackupForm::spSkinButton1Click() { close(); }
