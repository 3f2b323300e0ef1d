#include "NewLibUnit.h"

#include "PicDMUnit.h"
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

TNewLibForm::TNewLibForm(QWidget *owner) : TDialogBase(QStringLiteral("新建相册"), QSize(309, 159), owner)
{
    setObjectName(QStringLiteral("NewLibForm"));
    addBannerWithSeparator(39);
    addLabel(QStringLiteral("相册："), 17, 58)->setObjectName(QStringLiteral("spSkinStdLabel2"));
    LibName = new QLineEdit(this);
    LibName->setObjectName(QStringLiteral("LibName"));
    LibName->setGeometry(59, 59, 156, 17);
    LibName->setValidator(new TGbkLengthValidator(kNameMaxBytes, LibName));
    LibName->installEventFilter(this);
    addLabel(QStringLiteral("(最多6个汉字)"), 220, 62)->setObjectName(QStringLiteral("spSkinStdLabel1"));
    addLabel(QStringLiteral("密码："), 17, 89)->setObjectName(QStringLiteral("spSkinStdLabel3"));
    LibPass = new QLineEdit(this);
    LibPass->setObjectName(QStringLiteral("LibPass"));
    LibPass->setGeometry(59, 87, 156, 17);
    LibPass->setEchoMode(QLineEdit::Password);
    LibPass->setValidator(new TGbkLengthValidator(kPassMaxBytes, LibPass));
    LibPass->installEventFilter(this);
    addLabel(QStringLiteral("(密码为可选)"), 220, 88)->setObjectName(QStringLiteral("spSkinStdLabel4"));
    NewLibBtn = addButton(QStringLiteral("新建"), QRect(61, 118, 75, 21));
    NewLibBtn->setObjectName(QStringLiteral("NewLibBtn"));
    LibOutBtn = addButton(QStringLiteral("关闭"), QRect(140, 118, 75, 21));
    LibOutBtn->setObjectName(QStringLiteral("LibOutBtn"));
    connect(NewLibBtn, &QPushButton::clicked, this, &TNewLibForm::NewLibBtnClick);
    connect(LibOutBtn, &QPushButton::clicked, this, &TNewLibForm::LibOutBtnClick);

    setTabOrder(NewLibBtn, LibOutBtn);
    setTabOrder(LibOutBtn, LibName);
    setTabOrder(LibName, LibPass);
    NewLibBtn->setFocus();
    FormCreate();
}

void TNewLibForm::FormCreate()
{
    NewLibName.clear();
    NewLibPass.clear();
}

bool TNewLibForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        // Only typed characters are filtered; editing keys carry no
        // printable text and pass.
        if (text.size() == 1 && text.at(0).isPrint()) {
            if (watched == LibName && refusedInName(text.at(0)))
                return true;
            if (watched == LibPass && !allowedInPass(text.at(0)))
                return true;
        }
    }
    return TDialogBase::eventFilter(watched, event);
}

void TNewLibForm::NewLibBtnClick()
{
    const QString name = TrimText(LibName->text());
    if (name.isEmpty()) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("请输入您要创建的相册名称  (1-6个汉字)!"));
        LibName->setFocus();
        return;
    }
    // A pasted name is not filtered as it is typed.
    if (name.contains(QLatin1Char('/'))) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("相册名称中不能包含字符\"/\"!"));
        LibName->setFocus();
        LibName->selectAll();
        return;
    }
    const QString password = TrimText(LibPass->text());
    if (GbkByteLength(password) > kPassMaxBytes) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("密码长度不能超过15位数字或字母!"));
        LibPass->setFocus();
        LibPass->selectAll();
        return;
    }
    if (PicDM->CountWhere(QStringLiteral("PicLibTable"), QStringLiteral("PicLibName"), name) != 0) {
        PicDM->ShowWarning(QStringLiteral("警告"), QStringLiteral("该相册已经存在,请重新建立!"));
        LibName->setFocus();
        LibName->selectAll();
        return;
    }
    NewLibName = name;
    NewLibPass = password;
    accept();
}

void TNewLibForm::LibOutBtnClick()
{
    NewLibName.clear();
    NewLibPass.clear();
    reject();
}
