#include "SetPassUnit.h"

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

// ---------------------------------------------------------------- TSetpassForm

TSetpassForm::TSetpassForm(QWidget *owner) : TDialogBase(QStringLiteral("设置相册密码"), QSize(322, 184), owner)
{
    setObjectName(QStringLiteral("SetpassForm"));
    addBannerWithSeparator(43);
    addLabel(QStringLiteral("选择相册："), 18, 58);
    LibCom = addAlbumChooser(QRect(88, 56, 207, 20), kPlaceholder);
    connect(LibCom, &TAlbumCombo::dropDown, this, &TSetpassForm::LibComDropDown);
    addLabel(QStringLiteral("访问密码："), 21, 90);
    passEdit1 = addPasswordEntry("passEdit1", QRect(86, 85, 207, 21), kPassMaxBytes);
    addLabel(QStringLiteral("确认密码："), 21, 118);
    passEdit2 = addPasswordEntry("passEdit2", QRect(86, 114, 207, 21), kPassMaxBytes);
    passEdit1->installEventFilter(this);
    passEdit2->installEventFilter(this);
    spSkinButton1 = addButton(QStringLiteral("设置"), QRect(136, 144, 75, 21));
    spSkinButton1->setObjectName(QStringLiteral("spSkinButton1"));
    spSkinButton3 = addButton(QStringLiteral("关闭"), QRect(218, 144, 75, 21));
    spSkinButton3->setObjectName(QStringLiteral("spSkinButton3"));
    connect(spSkinButton1, &QPushButton::clicked, this, &TSetpassForm::spSkinButton1Click);
    connect(spSkinButton3, &QPushButton::clicked, this, &TSetpassForm::spSkinButton3Click);
    setTabOrder(LibCom, spSkinButton1);
    setTabOrder(spSkinButton1, spSkinButton3);
    setTabOrder(spSkinButton3, passEdit1);
    setTabOrder(passEdit1, passEdit2);
    LibCom->setFocus();
}

void TSetpassForm::LibComDropDown() { RefillAlbums(LibCom, kPlaceholder); }

bool TSetpassForm::eventFilter(QObject *watched, QEvent *event)
{
    // passEdit1KeyPress, for both entries: letters and digits only.
    if (event->type() == QEvent::KeyPress && (watched == passEdit1 || watched == passEdit2)) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        if (text.size() == 1 && text.at(0).isPrint()) {
            const ushort c = text.at(0).unicode();
            const bool allowed = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            if (!allowed)
                return true;
        }
    }
    return TDialogBase::eventFilter(watched, event);
}

void TSetpassForm::spSkinButton1Click()
{
    const QString album = ChosenAlbum(LibCom, kPlaceholder);
    if (album.isEmpty()) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("请选择一个相册！"));
        LibCom->setFocus();
        return;
    }
    if (PicDM->AlbumHasPassword(album)) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("该相册已经设置了认证密码,请选择其它相册!"));
        LibCom->setFocus();
        return;
    }
    const QString password = TrimText(passEdit1->text());
    if (password != TrimText(passEdit2->text())) {
        PicDM->ShowWarning(QStringLiteral("警告"), QStringLiteral("两次输入的密码不一致,请重新输入"));
        passEdit2->setFocus();
        return;
    }
    // Setting an empty password would report success for an album that
    // stays unprotected.
    if (password.isEmpty()) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("请输入访问密码!"));
        passEdit1->setFocus();
        return;
    }
    if (PicDM->SetAlbumPassword(album, password))
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("相册密码设置成功,请记住新密码!"));
    else
        PicDM->ShowError(QStringLiteral("错误"), QStringLiteral("相册密码设置失败!"));
}

void TSetpassForm::spSkinButton3Click() { close(); }

