#include "LegacyImportDialog.h"

#include "AlbumLibrary.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

QString chooseLegacyStore(QWidget *owner)
{
    QFileDialog dialog(owner, QCoreApplication::translate("LegacyImportDialog", "导入旧版相册库"), startFolder());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The Windows program's file, in whatever letter case it was copied.
    dialog.setNameFilters({QCoreApplication::translate("LegacyImportDialog", "旧版相册库 (*.[pP][dD][bB])"),
                           QCoreApplication::translate("LegacyImportDialog", "所有文件 (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

LegacyImportDialog::LegacyImportDialog(AlbumLibrary &library, const QString &file, QWidget *owner)
    : DialogBase(library, tr("导入旧版相册库"), QSize(460, 300), owner), m_file(file)
{
    setObjectName(QStringLiteral("legacyImportDialog"));
    addBannerWithSeparator(45);
    QLabel *fileLabel = addLabel(tr("文件: %1").arg(QFileInfo(file).fileName()), 12, 56);
    fileLabel->setGeometry(12, 56, 436, 18);
    fileLabel->setToolTip(file);
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setGeometry(12, 80, 436, 20);
    progressBar->setRange(0, 0);
    statusLabel = addLabel(tr("正在读取旧版相册库..."), 12, 106);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    statusLabel->setGeometry(12, 106, 436, 18);
    summaryView = new QPlainTextEdit(this);
    summaryView->setObjectName(QStringLiteral("summaryView"));
    summaryView->setReadOnly(true);
    summaryView->setGeometry(12, 130, 436, 130);
    cancelButton = addButton(tr("取消"), QRect(290, 268, 75, 23));
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    closeButton = addButton(tr("关闭"), QRect(373, 268, 75, 23));
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setEnabled(false);
    connect(cancelButton, &QPushButton::clicked, this, &LegacyImportDialog::cancel);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
}

void LegacyImportDialog::showEvent(QShowEvent *event)
{
    DialogBase::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(0, this, &LegacyImportDialog::runImport);
    }
}

void LegacyImportDialog::runImport()
{
    beginRun();
    const LegacyImport::Summary summary = library().importOldStore(m_file, [this](int done, int total) {
        progressBar->setRange(0, total);
        progressBar->setValue(done);
        statusLabel->setText(tr("已处理 %1 / %2 项 (相册和图片)").arg(done).arg(total));
        QCoreApplication::processEvents();
        return !m_cancelled;
    });
    if (progressBar->maximum() == 0)
        progressBar->setRange(0, 1);
    progressBar->setValue(summary.imported ? progressBar->maximum() : 0);
    statusLabel->setText(summary.imported ? tr("导入完成。") : tr("导入失败。"));
    summaryView->setPlainText(summary.text(m_file));
    cancelButton->setEnabled(false);
    closeButton->setEnabled(true);
    endRun();
    finishRun();
}
