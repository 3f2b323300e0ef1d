#include "ModPassUnit.h"

#include "PicDMUnit.h"
#include "TextRules.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kPlaceholder = QStringLiteral("<请选择相册>");
constexpr int kPassMaxBytes = 15;

} // namespace

// ---------------------------------------------------------------- TModPassForm

TModPassForm::TModPassForm(QWidget *owner) : TDialogBase(QStringLiteral("相册密码修改"), QSize(321, 211), owner)
{
    setObjectName(QStringLiteral("ModPassForm"));
    addBannerWithSeparator(43);
    addLabel(QStringLiteral("选择相册： "), 33, 64);
    LibCom = addAlbumChooser(QRect(99, 61, 191, 20), kPlaceholder);
    connect(LibCom, &TAlbumCombo::dropDown, this, &TModPassForm::LibComDropDown);
    addLabel(QStringLiteral("旧 密 码： "), 38, 93);
    OldPass = addPasswordEntry("OldPass", QRect(99, 89, 191, 21), kPassMaxBytes);
    addLabel(QStringLiteral("新 密 码： "), 38, 120);
    Newpass1 = addPasswordEntry("Newpass1", QRect(99, 117, 191, 21), kPassMaxBytes);
    addLabel(QStringLiteral("确认新密码："), 21, 149);
    Newpass2 = addPasswordEntry("Newpass2", QRect(99, 146, 191, 21), kPassMaxBytes);
    spSkinButton2 = addButton(QStringLiteral("修改"), QRect(102, 174, 91, 21));
    spSkinButton2->setObjectName(QStringLiteral("spSkinButton2"));
    spSkinButton1 = addButton(QStringLiteral("关闭"), QRect(200, 174, 91, 21));
    spSkinButton1->setObjectName(QStringLiteral("spSkinButton1"));
    connect(spSkinButton2, &QPushButton::clicked, this, &TModPassForm::spSkinButton2Click);
    connect(spSkinButton1, &QPushButton::clicked, this, &TModPassForm::spSkinButton1Click);
    setTabOrder(LibCom, OldPass);
    setTabOrder(OldPass, Newpass1);
    setTabOrder(Newpass1, Newpass2);
    setTabOrder(Newpass2, spSkinButton1);
    setTabOrder(spSkinButton1, spSkinButton2);
    LibCom->setFocus();
}

void TModPassForm::LibComDropDown() { RefillAlbums(LibCom, kPlaceholder); }

void TModPassForm::spSkinButton2Click()
{
    const QString album = ChosenAlbum(LibCom, kPlaceholder);
    if (album.isEmpty()) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("请选择相册 !"));
        LibCom->setFocus();
        return;
    }
    if (!PicDM->AlbumHasPassword(album)) {
        PicDM->ShowWarning(QStringLiteral("警告"), QStringLiteral("该相册还没有设置密码!"));
        return;
    }
    const QString oldPassword = TrimText(OldPass->text());
    if (oldPassword.isEmpty()) {
        PicDM->ShowWarning(QStringLiteral("警告"), QStringLiteral("请输入旧密码!"));
        OldPass->setFocus();
        return;
    }
    const QString newPassword = TrimText(Newpass1->text());
    if (newPassword != TrimText(Newpass2->text())) {
        PicDM->ShowWarning(QStringLiteral("警告"), QStringLiteral("新密码不一致!"));
        return;
    }
    if (!PicDM->CheckAlbumPassword(album, oldPassword)) {
        PicDM->ShowWarning(QStringLiteral("警告"), QStringLiteral("旧密码错误!"));
        OldPass->setFocus();
        OldPass->selectAll();
        return;
    }
    if (PicDM->SetAlbumPassword(album, newPassword))
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("密码修改成功!"));
    else
        PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("密码修改失败!"));
}

void TModPassForm::spSkinButton1Click() { close(); }
