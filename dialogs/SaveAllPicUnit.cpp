#include "SaveAllPicUnit.h"

#include "FileIO.h"
#include "PicDMUnit.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

namespace {

const QString kPlaceholder = QStringLiteral("<选择相册>");

// A name that stays one entry inside its folder.
bool safeEntryName(const QString &name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) && name != QLatin1String(".")
           && name != QLatin1String("..");
}

} // namespace

TSaveAllPicForm::TSaveAllPicForm(QWidget *owner) : TDialogBase(QStringLiteral("相册导出"), QSize(384, 194), owner)
{
    setObjectName(QStringLiteral("SaveAllPicForm"));
    addBannerWithSeparator(43);
    addLabel(QStringLiteral("相册："), 29, 72);
    LibCom = new TAlbumCombo(this);
    LibCom->setObjectName(QStringLiteral("LibCom"));
    LibCom->setGeometry(72, 69, 283, 20);
    LibCom->Fill(kPlaceholder, {});
    connect(LibCom, &TAlbumCombo::dropDown, this, &TSaveAllPicForm::LibComDropDown);
    connect(LibCom, &QComboBox::activated, this, &TSaveAllPicForm::LibComChange);
    addLabel(QStringLiteral("导出到："), 16, 107);
    SaveToDirEdit = new QLineEdit(this);
    SaveToDirEdit->setObjectName(QStringLiteral("SaveToDirEdit"));
    SaveToDirEdit->setGeometry(72, 105, 265, 18);
    spSkinSpeedButton1 = new QToolButton(this);
    spSkinSpeedButton1->setObjectName(QStringLiteral("spSkinSpeedButton1"));
    spSkinSpeedButton1->setText(QStringLiteral("..."));
    spSkinSpeedButton1->setGeometry(337, 105, 18, 18);
    spSkinSpeedButton1->setFocusPolicy(Qt::NoFocus);
    spSkinButton2 = addButton(QStringLiteral("开始导出"), QRect(168, 134, 91, 21));
    spSkinButton2->setObjectName(QStringLiteral("spSkinButton2"));
    spSkinButton1 = addButton(QStringLiteral("关闭"), QRect(264, 134, 91, 21));
    spSkinButton1->setObjectName(QStringLiteral("spSkinButton1"));
    connect(spSkinSpeedButton1, &QToolButton::clicked, this, &TSaveAllPicForm::spSkinSpeedButton1Click);
    connect(spSkinButton2, &QPushButton::clicked, this, &TSaveAllPicForm::spSkinButton2Click);
    connect(spSkinButton1, &QPushButton::clicked, this, &TSaveAllPicForm::spSkinButton1Click);
    setTabOrder(LibCom, SaveToDirEdit);
    setTabOrder(SaveToDirEdit, spSkinButton1);
    setTabOrder(spSkinButton1, spSkinButton2);

    spSkinStatusBar1 = new QStatusBar(this);
    spSkinStatusBar1->setObjectName(QStringLiteral("spSkinStatusBar1"));
    spSkinStatusBar1->setSizeGripEnabled(false);
    spSkinStatusBar1->setGeometry(0, height() - 18, width(), 18);
    LibTool = new QLabel(QStringLiteral("当前相册："), spSkinStatusBar1);
    LibTool->setObjectName(QStringLiteral("LibTool"));
    process = new QLabel(spSkinStatusBar1);
    process->setObjectName(QStringLiteral("process"));
    spSkinStatusBar1->addWidget(LibTool);
    spSkinStatusBar1->addWidget(process, 1);
    process->hide();
    LibCom->setFocus();
}

void TSaveAllPicForm::LibComDropDown()
{
    RefillAlbums(LibCom, kPlaceholder);
    LibTool->setText(QStringLiteral("当前相册: "));
}

void TSaveAllPicForm::LibComChange()
{
    const QString album = TrimText(LibCom->currentText());
    if (album == kPlaceholder)
        return;
    if (!AlbumAccessGranted(LibCom, album, QStringLiteral("访问密码不正确,不能导出该相册的相片!"), true))
        return;
    LibTool->setText(QStringLiteral("当前相册: ") + LibCom->currentText() + QStringLiteral("  "));
}

QString TSaveAllPicForm::RunSelectPicDir()
{
    QFileDialog dialog(this, QStringLiteral("选择文件夹"));
    dialog.setObjectName(QStringLiteral("SelectPicDir"));
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

void TSaveAllPicForm::spSkinSpeedButton1Click()
{
    const QString folder = RunSelectPicDir();
    if (!folder.isEmpty())
        SaveToDirEdit->setText(QDir::toNativeSeparators(folder));
}

QString TSaveAllPicForm::ExportFolder(const QString &target, const QString &album)
{
    if (album.isEmpty() || !safeEntryName(album))
        return QString();
    QString folder = TrimText(target);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + album;
}

void TSaveAllPicForm::spSkinButton2Click()
{
    const QString album = TrimText(LibCom->currentText());
    if (album.isEmpty() || album == kPlaceholder) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("请选择一个相册!"));
        LibCom->setFocus();
        return;
    }
    if (TrimText(SaveToDirEdit->text()).isEmpty()) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("请选择将导出到的目录"));
        SaveToDirEdit->setFocus();
        return;
    }
    // Only the album's own folder is ever made, inside a folder that exists.
    const QString folder = ExportFolder(SaveToDirEdit->text(), LibCom->currentText());
    if (folder.isEmpty() || !(QFileInfo(folder).isDir() || QDir().mkdir(folder))) {
        PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("导出的目录语法是否拼写错误或磁盘是否已满!"));
        return;
    }
    run(folder, PicDM->FindAlbumId(LibCom->currentText()));
}

void TSaveAllPicForm::run(const QString &folder, int albumId)
{
    QStringList ids;
    PicDM->ListPictureIds(albumId, &ids);
    if (ids.isEmpty()) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("该相册下暂未发现图片!"));
        return;
    }
    // Whatever way the run ends, the dialog is usable again after it.
    struct Running
    {
        TSaveAllPicForm *form;
        explicit Running(TSaveAllPicForm *f) : form(f)
        {
            form->BeginRun();
            form->spSkinButton2->setEnabled(false);
            form->process->show();
        }
        ~Running()
        {
            form->process->hide();
            form->spSkinButton2->setEnabled(true);
            form->EndRun();
        }
    };
    bool failed = false;
    {
        const Running running(this);
        for (const QString &id : ids) {
            QCoreApplication::processEvents();
            const int pictureId = id.toInt();
            // Each file holds the stored bytes, the original file as it was
            // imported, with its full quality and its camera's data.
            const QByteArray bytes = PicDM->PictureData(pictureId);
            process->setText(QStringLiteral("正在导出:   ") + folder + QLatin1Char('/') + id);
            process->repaint();
            const QString name = PicDM->GetPictureName(pictureId);
            if (!safeEntryName(name) || !WriteFileAtomically(folder + QLatin1Char('/') + name + QStringLiteral(".jpg"), bytes)) {
                failed = true;
                break;
            }
        }
    }
    if (failed)
        PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("导出图片失败!"));
    else
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("导出图片已完成!"));
    FinishRun();
}

void TSaveAllPicForm::spSkinButton1Click() { close(); }
