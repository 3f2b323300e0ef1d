#include "ChangeAlbumPasswordDialog.h"

#include "AlbumLibrary.h"
#include "Prompts.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QString placeholder() { return QCoreApplication::translate("ChangeAlbumPasswordDialog", "<请选择相册>"); }
constexpr int kPassMaxBytes = 15;

} // namespace

// ---------------------------------------------------------------- ChangeAlbumPasswordDialog

ChangeAlbumPasswordDialog::ChangeAlbumPasswordDialog(AlbumLibrary &library, QWidget *owner)
    : DialogBase(library, tr("相册密码修改"), QSize(321, 211), owner)
{
    setObjectName(QStringLiteral("changeAlbumPasswordDialog"));
    addBannerWithSeparator(43);
    addLabel(tr("选择相册： "), 33, 64);
    albumChooser = addAlbumChooser(QRect(99, 61, 191, 20), placeholder());
    connect(albumChooser, &AlbumChooser::dropDown, this, &ChangeAlbumPasswordDialog::albumListOpening);
    addLabel(tr("旧 密 码： "), 38, 93);
    oldPasswordEdit = addPasswordEntry("oldPasswordEdit", QRect(99, 89, 191, 21), kPassMaxBytes);
    addLabel(tr("新 密 码： "), 38, 120);
    newPasswordEdit = addPasswordEntry("newPasswordEdit", QRect(99, 117, 191, 21), kPassMaxBytes);
    addLabel(tr("确认新密码："), 21, 149);
    confirmEdit = addPasswordEntry("confirmEdit", QRect(99, 146, 191, 21), kPassMaxBytes);
    changeButton = addButton(tr("修改"), QRect(102, 174, 91, 21));
    changeButton->setObjectName(QStringLiteral("changeButton"));
    closeButton = addButton(tr("关闭"), QRect(200, 174, 91, 21));
    closeButton->setObjectName(QStringLiteral("closeButton"));
    connect(changeButton, &QPushButton::clicked, this, &ChangeAlbumPasswordDialog::changePassword);
    connect(closeButton, &QPushButton::clicked, this, &ChangeAlbumPasswordDialog::closeDialog);
    setTabOrder(albumChooser, oldPasswordEdit);
    setTabOrder(oldPasswordEdit, newPasswordEdit);
    setTabOrder(newPasswordEdit, confirmEdit);
    setTabOrder(confirmEdit, closeButton);
    setTabOrder(closeButton, changeButton);
    albumChooser->setFocus();
}

void ChangeAlbumPasswordDialog::albumListOpening() { refillAlbumChooser(library(), albumChooser, placeholder()); }

void ChangeAlbumPasswordDialog::changePassword()
{
    const QString album = chosenAlbum(albumChooser, placeholder());
    if (album.isEmpty()) {
        Prompts::showInfo(tr("提示"), tr("请选择相册 !"));
        albumChooser->setFocus();
        return;
    }
    if (!library().albumHasPassword(album)) {
        Prompts::showWarning(tr("警告"), tr("该相册还没有设置密码!"));
        return;
    }
    const QString oldPassword = trimText(oldPasswordEdit->text());
    if (oldPassword.isEmpty()) {
        Prompts::showWarning(tr("警告"), tr("请输入旧密码!"));
        oldPasswordEdit->setFocus();
        return;
    }
    const QString newPassword = trimText(newPasswordEdit->text());
    if (newPassword != trimText(confirmEdit->text())) {
        Prompts::showWarning(tr("警告"), tr("新密码不一致!"));
        return;
    }
    if (!library().unlock(album, oldPassword)) {
        Prompts::showWarning(tr("警告"), tr("旧密码错误!"));
        oldPasswordEdit->setFocus();
        oldPasswordEdit->selectAll();
        return;
    }
    if (library().setAlbumPassword(album, newPassword))
        Prompts::showInfo(tr("提示"), tr("密码修改成功!"));
    else
        Prompts::showError(tr("错误"), tr("密码修改失败!"));
}

void ChangeAlbumPasswordDialog::closeDialog() { close(); }
