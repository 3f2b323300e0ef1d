#include "ComLibUnit.h"

#include "PicDMUnit.h"

#include <QProgressBar>
#include <QPushButton>

TComLibForm::TComLibForm(const QString &storePath, QWidget *owner)
    : TDialogBase(QStringLiteral("压缩相册库"), QSize(377, 124), owner), m_storePath(storePath)
{
    setObjectName(QStringLiteral("ComLibForm"));
    addBannerWithSeparator(45);
    process = new QProgressBar(this);
    process->setObjectName(QStringLiteral("process"));
    process->setGeometry(12, 84, 261, 20);
    process->setRange(0, 100);
    process->setValue(100);
    process->setTextVisible(true);
    process->setFormat(QString());
    startBtn = addButton(QStringLiteral("开始压缩"), QRect(280, 84, 77, 21));
    startBtn->setObjectName(QStringLiteral("startBtn"));
    connect(startBtn, &QPushButton::clicked, this, &TComLibForm::startBtnClick);
}

void TComLibForm::startBtnClick()
{
    startBtn->setEnabled(false);
    process->setFormat(QStringLiteral("正在压缩..."));
    // The work blocks the window: show the text before it starts.
    process->repaint();
    const bool compacted = PicDM->CompactStore(m_storePath);
    PicDM->ShowInfo(QStringLiteral("提示"), compacted ? QStringLiteral("压缩成功!") : QStringLiteral("压缩失败!"));
    process->setFormat(QString());
    startBtn->setEnabled(true);
}
