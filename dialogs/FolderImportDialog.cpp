#include "FolderImportDialog.h"

#include "AlbumLibrary.h"
#include "Prompts.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

QString placeholder() { return QCoreApplication::translate("FolderImportDialog", "<请选择相册>"); }

QString timeLeft(qint64 ms)
{
    const qint64 seconds = (ms + 999) / 1000;
    return seconds < 60 ? QCoreApplication::translate("FolderImportDialog", "还剩约 %1 秒").arg(seconds)
                        : QCoreApplication::translate("FolderImportDialog", "还剩约 %1 分 %2 秒")
                              .arg(seconds / 60)
                              .arg(seconds % 60);
}

} // namespace

FolderImportDialog::FolderImportDialog(AlbumLibrary &library, QWidget *owner)
    : DialogBase(library, tr("导入文件夹"), QSize(440, 196), owner)
{
    setObjectName(QStringLiteral("folderImportDialog"));
    addLabel(tr("相册:"), 18, 22);
    albumChooser = addAlbumChooser(QRect(78, 18, 344, 20), placeholder());
    connect(albumChooser, &AlbumChooser::dropDown, this,
            [this] { refillAlbumChooser(this->library(), albumChooser, placeholder()); });
    connect(albumChooser, &QComboBox::activated, this, [this] {
        const QString album = trimText(albumChooser->currentText());
        if (album != placeholder())
            albumAccessGranted(albumChooser, album, tr("访问密码不正确,不能向该相册导入相片!"), false);
    });
    addLabel(tr("文件夹:"), 18, 56);
    folderEdit = new QLineEdit(this);
    folderEdit->setObjectName(QStringLiteral("folderEdit"));
    folderEdit->setGeometry(78, 52, 262, 22);
    connect(folderEdit, &QLineEdit::textEdited, this, [this] { m_paths.clear(); });
    browseButton = addButton(tr("浏览..."), QRect(346, 51, 76, 24));
    browseButton->setObjectName(QStringLiteral("browseButton"));
    connect(browseButton, &QPushButton::clicked, this, &FolderImportDialog::chooseFolder);

    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setGeometry(18, 92, 404, 18);
    progressBar->setTextVisible(true);
    progressBar->hide();
    progressText = new QLabel(this);
    progressText->setObjectName(QStringLiteral("progressText"));
    progressText->setGeometry(18, 116, 404, 18);

    importButton = addButton(tr("开始导入"), QRect(252, 154, 80, 26));
    importButton->setObjectName(QStringLiteral("importButton"));
    connect(importButton, &QPushButton::clicked, this, &FolderImportDialog::startImport);
    closeButton = addButton(tr("关闭"), QRect(342, 154, 80, 26));
    closeButton->setObjectName(QStringLiteral("closeButton"));
    // While an import runs, the button cancels it.
    connect(closeButton, &QPushButton::clicked, this, [this] {
        if (progressBar->isVisible())
            m_cancel = true;
        else
            close();
    });
}

void FolderImportDialog::setPaths(const QStringList &paths)
{
    m_paths = paths;
    folderEdit->setText(paths.size() == 1 ? QDir::toNativeSeparators(paths.first())
                                          : tr("%1 个文件和文件夹").arg(paths.size()));
}

void FolderImportDialog::chooseFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("选择要导入的文件夹"), folderEdit->text().isEmpty() ? startFolder() : folderEdit->text());
    if (!folder.isEmpty())
        setPaths({folder});
}

void FolderImportDialog::startImport()
{
    const QString album = trimText(albumChooser->currentText());
    if (album.isEmpty() || album == placeholder()) {
        Prompts::showInfo(tr("提示"), tr("请选择图片将要导入的相册!"));
        albumChooser->setFocus();
        return;
    }
    const QStringList paths = !m_paths.isEmpty() ? m_paths : QStringList{trimText(folderEdit->text())};
    if (paths.value(0).isEmpty()) {
        Prompts::showInfo(tr("提示"), tr("请选择要导入的文件夹!"));
        return;
    }
    m_cancel = false;
    beginRun();
    importButton->setEnabled(false);
    browseButton->setEnabled(false);
    closeButton->setText(tr("取消"));
    progressBar->setValue(0);
    progressBar->show();
    progressText->setText(tr("正在查找图片..."));
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    QString summary;
    bool failed = false;
    try {
        summary = library()
                      .importFiles(album, paths,
                                   [&](int done, int total, const QString &file) {
                                       progressBar->setRange(0, total);
                                       progressBar->setValue(done);
                                       progressBar->setFormat(QStringLiteral("%1/%2").arg(done).arg(total));
                                       QString line = file.isEmpty() ? tr("正在检查相册中已有的图片...")
                                                                     : QFileInfo(file).fileName();
                                       if (done > 0 && !file.isEmpty())
                                           line += QStringLiteral("    ") + timeLeft(clock.elapsed() * (total - done) / done);
                                       progressText->setText(progressText->fontMetrics().elidedText(
                                           line, Qt::ElideMiddle, progressText->width()));
                                       QCoreApplication::processEvents();
                                       return !m_cancel;
                                   })
                      .text();
    } catch (const std::exception &e) {
        failed = true;
        summary = AlbumLibrary::errorMessage(e);
    }
    progressBar->hide();
    progressText->clear();
    closeButton->setText(tr("关闭"));
    importButton->setEnabled(true);
    browseButton->setEnabled(true);
    endRun();
    if (failed)
        Prompts::showError(tr("错误"), summary);
    else
        Prompts::showInfo(tr("导入文件夹"), summary);
    finishRun();
}
