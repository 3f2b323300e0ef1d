#include "CompactStoreDialog.h"

#include "AlbumLibrary.h"
#include "Prompts.h"

#include <QProgressBar>
#include <QPushButton>

CompactStoreDialog::CompactStoreDialog(AlbumLibrary &library, const QString &storePath, QWidget *owner)
    : DialogBase(library, tr("压缩相册库"), QSize(377, 124), owner), m_storePath(storePath)
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
    startButton = addButton(tr("开始压缩"), QRect(280, 84, 77, 21));
    startButton->setObjectName(QStringLiteral("startButton"));
    connect(startButton, &QPushButton::clicked, this, &CompactStoreDialog::startCompaction);
}

void CompactStoreDialog::startCompaction()
{
    startButton->setEnabled(false);
    progressBar->setFormat(tr("正在压缩..."));
    // The work blocks the window: show the text before it starts.
    progressBar->repaint();
    qint64 room = 0;
    const bool compacted = library().compact(m_storePath, &room);
    // Where lack of room stopped it, the user is told how much it needs.
    Prompts::showInfo(
        tr("提示"),
        compacted ? tr("压缩成功!")
        : room > 0
            ? tr("压缩失败!相册库所在的磁盘空间不足,压缩需要约 %1 MB 可用空间。").arg((room + (1 << 20) - 1) >> 20)
            : tr("压缩失败!"));
    progressBar->setFormat(QString());
    startButton->setEnabled(true);
}
