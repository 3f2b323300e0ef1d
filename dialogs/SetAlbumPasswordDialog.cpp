#include "SetAlbumPasswordDialog.h"

#include "AlbumLibrary.h"
#include "Prompts.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QString placeholder() { return QCoreApplication::translate("SetAlbumPasswordDialog", "<请选择相册>"); }
constexpr int kPassMaxBytes = 15;

} // namespace

// ---------------------------------------------------------------- SetAlbumPasswordDialog

SetAlbumPasswordDialog::SetAlbumPasswordDialog(AlbumLibrary &library, QWidget *owner)
    : DialogBase(library, tr("设置相册密码"), QSize(322, 184), owner)
{
    setObjectName(QStringLiteral("setAlbumPasswordDialog"));
    addBannerWithSeparator(43);
    addLabel(tr("选择相册："), 18, 58);
    albumChooser = addAlbumChooser(QRect(88, 56, 207, 20), placeholder());
    connect(albumChooser, &AlbumChooser::dropDown, this, &SetAlbumPasswordDialog::albumListOpening);
    addLabel(tr("访问密码："), 21, 90);
    passwordEdit = addPasswordEntry("passwordEdit", QRect(86, 85, 207, 21), kPassMaxBytes);
    addLabel(tr("确认密码："), 21, 118);
    confirmEdit = addPasswordEntry("confirmEdit", QRect(86, 114, 207, 21), kPassMaxBytes);
    passwordEdit->installEventFilter(this);
    confirmEdit->installEventFilter(this);
    setButton = addButton(tr("设置"), QRect(136, 144, 75, 21));
    setButton->setObjectName(QStringLiteral("setButton"));
    closeButton = addButton(tr("关闭"), QRect(218, 144, 75, 21));
    closeButton->setObjectName(QStringLiteral("closeButton"));
    connect(setButton, &QPushButton::clicked, this, &SetAlbumPasswordDialog::setPassword);
    connect(closeButton, &QPushButton::clicked, this, &SetAlbumPasswordDialog::closeDialog);
    setTabOrder(albumChooser, setButton);
    setTabOrder(setButton, closeButton);
    setTabOrder(closeButton, passwordEdit);
    setTabOrder(passwordEdit, confirmEdit);
    albumChooser->setFocus();
}

void SetAlbumPasswordDialog::albumListOpening() { refillAlbumChooser(library(), albumChooser, placeholder()); }

bool SetAlbumPasswordDialog::eventFilter(QObject *watched, QEvent *event)
{
    // passEdit1KeyPress, for both entries: letters and digits only.
    if (event->type() == QEvent::KeyPress && (watched == passwordEdit || watched == confirmEdit)) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        if (text.size() == 1 && text.at(0).isPrint()) {
            const ushort c = text.at(0).unicode();
            const bool allowed = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            if (!allowed)
                return true;
        }
    }
    return DialogBase::eventFilter(watched, event);
}

void SetAlbumPasswordDialog::setPassword()
{
    const QString album = chosenAlbum(albumChooser, placeholder());
    if (album.isEmpty()) {
        Prompts::showInfo(tr("提示"), tr("请选择一个相册！"));
        albumChooser->setFocus();
        return;
    }
    if (library().albumHasPassword(album)) {
        Prompts::showInfo(tr("提示"), tr("该相册已经设置了认证密码,请选择其它相册!"));
        albumChooser->setFocus();
        return;
    }
    const QString password = trimText(passwordEdit->text());
    if (password != trimText(confirmEdit->text())) {
        Prompts::showWarning(tr("警告"), tr("两次输入的密码不一致,请重新输入"));
        confirmEdit->setFocus();
        return;
    }
    // Setting an empty password would report success for an album that
    // stays unprotected.
    if (password.isEmpty()) {
        Prompts::showInfo(tr("提示"), tr("请输入访问密码!"));
        passwordEdit->setFocus();
        return;
    }
    if (library().setAlbumPassword(album, password))
        Prompts::showInfo(tr("提示"), tr("相册密码设置成功,请记住新密码!"));
    else
        Prompts::showError(tr("错误"), tr("相册密码设置失败!"));
}

void SetAlbumPasswordDialog::closeDialog() { close(); }

