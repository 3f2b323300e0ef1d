#include "About.h"

#include "Artwork.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QTabWidget>
#include <QUrl>

namespace {

QLabel *blueLabel(const QString &text, QWidget *page, int left, int top)
{
    auto *label = new QLabel(text, page);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(30, 86, 255));
    label->setPalette(pal);
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

TAboutForm::TAboutForm(QWidget *owner) : TDialogBase(QStringLiteral("关于"), QSize(323, 153), owner)
{
    setObjectName(QStringLiteral("AboutForm"));
    spSkinPageControl1 = new QTabWidget(this);
    spSkinPageControl1->setObjectName(QStringLiteral("spSkinPageControl1"));
    spSkinPageControl1->setGeometry(14, 14, 285, 117);

    auto *software = new QWidget;
    software->setObjectName(QStringLiteral("spSkinTabSheet1"));
    auto *icon = new QLabel(software);
    icon->setObjectName(QStringLiteral("Image1"));
    icon->setGeometry(18, 12, 39, 35);
    icon->setAlignment(Qt::AlignCenter);
    icon->setPixmap(Artwork::Render(QStringLiteral("images/5-album.svg"), QSize(32, 32)));
    blueLabel(QStringLiteral("Quilbo 2009 相册管理"), software, 67, 20)->setObjectName(QStringLiteral("spSkinStdLabel1"));
    blueLabel(QStringLiteral("当前版本：1.0.2"), software, 67, 40)->setObjectName(QStringLiteral("spSkinStdLabel2"));
    blueLabel(QStringLiteral("版权所有 (C) 2009-2026 Quilbo 开发组"), software, 67, 58)
        ->setObjectName(QStringLiteral("spSkinStdLabel3"));
    spSkinPageControl1->addTab(software, QStringLiteral("软件信息"));

    auto *author = new QWidget;
    author->setObjectName(QStringLiteral("spSkinTabSheet2"));
    blueLabel(QStringLiteral("作者: Quilbo 开发组"), author, 36, 16)->setObjectName(QStringLiteral("spSkinStdLabel4"));
    blueLabel(QStringLiteral("意见与建议请写在使用说明中的联系方式"), author, 36, 34)
        ->setObjectName(QStringLiteral("spSkinStdLabel5"));
    blueLabel(QStringLiteral("感谢您使用本软件!"), author, 36, 52)->setObjectName(QStringLiteral("spSkinStdLabel6"));
    spSkinStdLabel7 = blueLabel(QStringLiteral("官方博客：") + WebLogUrl().toString(), author, 36, 72);
    spSkinStdLabel7->setObjectName(QStringLiteral("spSkinStdLabel7"));
    spSkinStdLabel7->setFixedWidth(227);
    spSkinStdLabel7->setCursor(Qt::PointingHandCursor);
    spSkinStdLabel7->setToolTip(WebLogUrl().toString());
    spSkinStdLabel7->installEventFilter(this);
    spSkinPageControl1->addTab(author, QStringLiteral("作者信息"));
    spSkinPageControl1->setCurrentIndex(0);
}

void TAboutForm::spSkinStdLabel7Click() { QDesktopServices::openUrl(WebLogUrl()); }

bool TAboutForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == spSkinStdLabel7 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        spSkinStdLabel7Click();
        return true;
    }
    return TDialogBase::eventFilter(watched, event);
}
