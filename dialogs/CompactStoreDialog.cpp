#include "CompactStoreDialog.h"

#include "AlbumStore.h"
#include "Prompts.h"

#include <QProgressBar>
#include <QPushButton>

CompactStoreDialog::CompactStoreDialog(const QString &storePath, QWidget *owner)
    : DialogBase(QStringLiteral("压缩相册库"), QSize(377, 124), owner), m_storePath(storePath)
{
    setObjectName(QStringLiteral("compactStoreDialog"));
    addBannerWithSeparator(45);
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setGeometry(12, 84, 261, 20);
    progressBar->setRange(0, 100);
    progressBar->setValue(100);
    progressBar->setTextVisible(true);
    progressBar->setFormat(QString());
    startButton = addButton(QStringLiteral("开始压缩"), QRect(280, 84, 77, 21));
    startButton->setObjectName(QStringLiteral("startButton"));
    connect(startButton, &QPushButton::clicked, this, &CompactStoreDialog::startCompaction);
}

void CompactStoreDialog::startCompaction()
{
    startButton->setEnabled(false);
    progressBar->setFormat(QStringLiteral("正在压缩..."));
    // The work blocks the window: show the text before it starts.
    progressBar->repaint();
    const bool compacted = AlbumStore::instance()->compactStore(m_storePath);
    Prompts::showInfo(QStringLiteral("提示"), compacted ? QStringLiteral("压缩成功!") : QStringLiteral("压缩失败!"));
    progressBar->setFormat(QString());
    startButton->setEnabled(true);
}
