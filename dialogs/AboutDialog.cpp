#include "AboutDialog.h"

#include "Artwork.h"
#include "GuideDialog.h"
#include "Version.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTabWidget>

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

AboutDialog::AboutDialog(QWidget *owner) : DialogBase(tr("关于"), QSize(323, 153), owner)
{
    setObjectName(QStringLiteral("aboutDialog"));
    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pages"));
    pages->setGeometry(14, 14, 285, 117);

    auto *software = new QWidget;
    software->setObjectName(QStringLiteral("softwarePage"));
    auto *icon = new QLabel(software);
    icon->setObjectName(QStringLiteral("albumIcon"));
    icon->setGeometry(18, 12, 39, 35);
    icon->setAlignment(Qt::AlignCenter);
    icon->setPixmap(Artwork::render(QStringLiteral("images/5-album.svg"), QSize(32, 32)));
    blueLabel(tr("Quilbo 2009 相册管理"), software, 67, 20)->setObjectName(QStringLiteral("titleLabel"));
    blueLabel(tr("当前版本：%1").arg(QStringLiteral(QUILBO_VERSION)), software, 67, 40)
        ->setObjectName(QStringLiteral("versionLabel"));
    blueLabel(tr("版权所有 (C) 2009-2026 Quilbo 开发组"), software, 67, 58)
        ->setObjectName(QStringLiteral("copyrightLabel"));
    pages->addTab(software, tr("软件信息"));

    auto *author = new QWidget;
    author->setObjectName(QStringLiteral("authorPage"));
    blueLabel(tr("作者: Quilbo 开发组"), author, 36, 16)->setObjectName(QStringLiteral("authorLabel"));
    blueLabel(tr("意见与建议请写在使用说明中的联系方式"), author, 36, 34)
        ->setObjectName(QStringLiteral("feedbackLabel"));
    blueLabel(tr("感谢您使用本软件!"), author, 36, 52)->setObjectName(QStringLiteral("thanksLabel"));
    webLogLabel = blueLabel(tr("官方博客：Quilbo 2009 使用说明"), author, 36, 72);
    webLogLabel->setObjectName(QStringLiteral("webLogLabel"));
    webLogLabel->setFixedWidth(227);
    webLogLabel->setCursor(Qt::PointingHandCursor);
    webLogLabel->setToolTip(guideFile());
    // Where no guide is installed, there is nothing to link to.
    webLogLabel->setVisible(!guideFile().isEmpty());
    webLogLabel->installEventFilter(this);
    pages->addTab(author, tr("作者信息"));
    pages->setCurrentIndex(0);
}

void AboutDialog::openWebLog()
{
    GuideDialog guide(this);
    guide.exec();
}

bool AboutDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == webLogLabel && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        openWebLog();
        return true;
    }
    return DialogBase::eventFilter(watched, event);
}
