#include "NewAlbumDialog.h"

#include "AlbumLibrary.h"
#include "GbkLengthValidator.h"
#include "Prompts.h"
#include "TextRules.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kNameMaxBytes = 12;
constexpr int kPassMaxBytes = 15;

// Characters the name entry discards when typed; "/" too, since an album
// becomes a folder when it is exported.
bool refusedInName(QChar c) { return QStringLiteral("+-.:;?@\\`~/").contains(c); }

bool allowedInPass(QChar c)
{
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

} // namespace

NewAlbumDialog::NewAlbumDialog(AlbumLibrary &library, QWidget *owner)
    : DialogBase(library, tr("新建相册"), QSize(309, 159), owner)
{
    setObjectName(QStringLiteral("newAlbumDialog"));
    addBannerWithSeparator(39);
    addLabel(tr("相册："), 17, 58)->setObjectName(QStringLiteral("nameLabel"));
    nameEdit = new QLineEdit(this);
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    nameEdit->setGeometry(59, 59, 156, 17);
    nameEdit->setValidator(new GbkLengthValidator(kNameMaxBytes, nameEdit));
    nameEdit->installEventFilter(this);
    addLabel(tr("(最多6个汉字)"), 220, 62)->setObjectName(QStringLiteral("nameHintLabel"));
    addLabel(tr("密码："), 17, 89)->setObjectName(QStringLiteral("passwordLabel"));
    passwordEdit = new QLineEdit(this);
    passwordEdit->setObjectName(QStringLiteral("passwordEdit"));
    passwordEdit->setGeometry(59, 87, 156, 17);
    passwordEdit->setEchoMode(QLineEdit::Password);
    passwordEdit->setValidator(new GbkLengthValidator(kPassMaxBytes, passwordEdit));
    passwordEdit->installEventFilter(this);
    addLabel(tr("(密码为可选)"), 220, 88)->setObjectName(QStringLiteral("passwordHintLabel"));
    createButton = addButton(tr("新建"), QRect(61, 118, 75, 21));
    createButton->setObjectName(QStringLiteral("createButton"));
    closeButton = addButton(tr("关闭"), QRect(140, 118, 75, 21));
    closeButton->setObjectName(QStringLiteral("closeButton"));
    connect(createButton, &QPushButton::clicked, this, &NewAlbumDialog::createAlbum);
    connect(closeButton, &QPushButton::clicked, this, &NewAlbumDialog::closeWithoutAlbum);

    setTabOrder(createButton, closeButton);
    setTabOrder(closeButton, nameEdit);
    setTabOrder(nameEdit, passwordEdit);
    createButton->setFocus();
}

bool NewAlbumDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        // Only typed characters are filtered; editing keys carry no
        // printable text and pass.
        if (text.size() == 1 && text.at(0).isPrint()) {
            if (watched == nameEdit && refusedInName(text.at(0)))
                return true;
            if (watched == passwordEdit && !allowedInPass(text.at(0)))
                return true;
        }
    }
    return DialogBase::eventFilter(watched, event);
}

void NewAlbumDialog::createAlbum()
{
    const QString name = trimText(nameEdit->text());
    if (name.isEmpty()) {
        Prompts::showInfo(tr("提示"), tr("请输入您要创建的相册名称  (1-6个汉字)!"));
        nameEdit->setFocus();
        return;
    }
    // A pasted name is not filtered as it is typed.
    if (name.contains(QLatin1Char('/'))) {
        Prompts::showInfo(tr("提示"), tr("相册名称中不能包含字符\"/\"!"));
        nameEdit->setFocus();
        nameEdit->selectAll();
        return;
    }
    // A pasted name may hold characters that are never typed; some of them
    // would make it show as another name.
    if (!isSafeName(name)) {
        Prompts::showInfo(tr("提示"), tr("相册名称中不能包含控制字符或文字方向控制字符!"));
        nameEdit->setFocus();
        nameEdit->selectAll();
        return;
    }
    const QString password = trimText(passwordEdit->text());
    if (gbkByteLength(password) > kPassMaxBytes) {
        Prompts::showInfo(tr("提示"), tr("密码长度不能超过15位数字或字母!"));
        passwordEdit->setFocus();
        passwordEdit->selectAll();
        return;
    }
    if (library().albumExists(name)) {
        Prompts::showWarning(tr("警告"), tr("该相册已经存在,请重新建立!"));
        nameEdit->setFocus();
        nameEdit->selectAll();
        return;
    }
    // The album is made as the dialog closes; the tree shows it.
    accept();
    if (!library().addAlbum(name, password))
        Prompts::showError(tr("错误"), tr("相册新建失败!"));
}

void NewAlbumDialog::closeWithoutAlbum() { reject(); }
