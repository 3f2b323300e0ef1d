#include "PreviewFileDialog.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>

PreviewFileDialog::PreviewFileDialog(const QString &title, const QString &filter, QWidget *parent)
    : QFileDialog(parent)
{
    setWindowTitle(title);
    // Qt's own dialog, so that the preview can stand beside the file list.
    setOption(QFileDialog::DontUseNativeDialog);
    setNameFilter(filter);
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setFixedSize(180, 180);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addWidget(m_preview, 0, grid->columnCount(), grid->rowCount(), 1);
    connect(this, &QFileDialog::currentChanged, this, &PreviewFileDialog::showPreview);
}

void PreviewFileDialog::showEvent(QShowEvent *event)
{
    QFileDialog::showEvent(event);
    showPreview(selectedFiles().value(0));
}

void PreviewFileDialog::showPreview(const QString &path)
{
    // Scaled down while read, never stretched up: a camera picture previews
    // quickly.
    QImage image;
    if (QFileInfo(path).isFile()) {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QSize size = reader.size();
        if (size.isValid() && (size.width() > m_preview->width() || size.height() > m_preview->height()))
            reader.setScaledSize(size.scaled(m_preview->size(), Qt::KeepAspectRatio));
        image = reader.read();
    }
    m_preview->setPixmap(QPixmap::fromImage(image));
}

QStringList PreviewFileDialog::selectedFilesInListOrder() const
{
    const QStringList chosen = selectedFiles();
    const auto *view = findChild<QAbstractItemView *>(QStringLiteral("listView"));
    if (!view || !view->model())
        return chosen;
    const QDir folder = directory();
    QStringList ordered;
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
        const QString path =
            folder.absoluteFilePath(view->model()->index(row, 0, view->rootIndex()).data().toString());
        if (chosen.contains(path))
            ordered.append(path);
    }
    // Anything the list does not show keeps its place after those it does.
    for (const QString &path : chosen)
        if (!ordered.contains(path))
            ordered.append(path);
    return ordered;
}
