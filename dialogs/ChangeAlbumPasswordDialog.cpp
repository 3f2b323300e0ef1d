#include "ChangeAlbumPasswordDialog.h"

#include "AlbumLibrary.h"
#include "Prompts.h"
#include "TextRules.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kPlaceholder = QStringLiteral("<请选择相册>");
constexpr int kPassMaxBytes = 15;

} // namespace

// ---------------------------------------------------------------- ChangeAlbumPasswordDialog

ChangeAlbumPasswordDialog::ChangeAlbumPasswordDialog(AlbumLibrary &library, QWidget *owner) : DialogBase(library, QStringLiteral("相册密码修改"), QSize(321, 211), owner)
{
    setObjectName(QStringLiteral("changeAlbumPasswordDialog"));
    addBannerWithSeparator(43);
    addLabel(QStringLiteral("选择相册： "), 33, 64);
    albumChooser = addAlbumChooser(QRect(99, 61, 191, 20), kPlaceholder);
    connect(albumChooser, &AlbumChooser::dropDown, this, &ChangeAlbumPasswordDialog::albumListOpening);
    addLabel(QStringLiteral("旧 密 码： "), 38, 93);
    oldPasswordEdit = addPasswordEntry("oldPasswordEdit", QRect(99, 89, 191, 21), kPassMaxBytes);
    addLabel(QStringLiteral("新 密 码： "), 38, 120);
    newPasswordEdit = addPasswordEntry("newPasswordEdit", QRect(99, 117, 191, 21), kPassMaxBytes);
    addLabel(QStringLiteral("确认新密码："), 21, 149);
    confirmEdit = addPasswordEntry("confirmEdit", QRect(99, 146, 191, 21), kPassMaxBytes);
    changeButton = addButton(QStringLiteral("修改"), QRect(102, 174, 91, 21));
    changeButton->setObjectName(QStringLiteral("changeButton"));
    closeButton = addButton(QStringLiteral("关闭"), QRect(200, 174, 91, 21));
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

void ChangeAlbumPasswordDialog::albumListOpening() { refillAlbumChooser(library(), albumChooser, kPlaceholder); }

void ChangeAlbumPasswordDialog::changePassword()
{
    const QString album = chosenAlbum(albumChooser, kPlaceholder);
    if (album.isEmpty()) {
        Prompts::showInfo(QStringLiteral("提示"), QStringLiteral("请选择相册 !"));
        albumChooser->setFocus();
        return;
    }
    if (!library().albumHasPassword(album)) {
        Prompts::showWarning(QStringLiteral("警告"), QStringLiteral("该相册还没有设置密码!"));
        return;
    }
    const QString oldPassword = trimText(oldPasswordEdit->text());
    if (oldPassword.isEmpty()) {
        Prompts::showWarning(QStringLiteral("警告"), QStringLiteral("请输入旧密码!"));
        oldPasswordEdit->setFocus();
        return;
    }
    const QString newPassword = trimText(newPasswordEdit->text());
    if (newPassword != trimText(confirmEdit->text())) {
        Prompts::showWarning(QStringLiteral("警告"), QStringLiteral("新密码不一致!"));
        return;
    }
    if (!library().unlock(album, oldPassword)) {
        Prompts::showWarning(QStringLiteral("警告"), QStringLiteral("旧密码错误!"));
        oldPasswordEdit->setFocus();
        oldPasswordEdit->selectAll();
        return;
    }
    if (library().setAlbumPassword(album, newPassword))
        Prompts::showInfo(QStringLiteral("提示"), QStringLiteral("密码修改成功!"));
    else
        Prompts::showError(QStringLiteral("错误"), QStringLiteral("密码修改失败!"));
}

void ChangeAlbumPasswordDialog::closeDialog() { close(); }
