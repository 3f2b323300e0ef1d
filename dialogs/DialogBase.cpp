#include "DialogBase.h"

#include "Artwork.h"
#include "PicDMUnit.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QUrl>
#include <QGuiApplication>
#include <QFrame>
#include <QGridLayout>
#include <QImageReader>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

// ---------------------------------------------------------------- TDialogBase

TDialogBase::TDialogBase(const QString &caption, const QSize &clientSize, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(caption);
    setFixedSize(clientSize);
    setModal(true);
}

void TDialogBase::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TDialogBase::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    const QWidget *owner = parentWidget();
    const QRect over = owner ? owner->frameGeometry()
                             : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                                 : QRect());
    if (over.isValid())
        move(over.center() - QPoint(width() / 2, height() / 2));
}

void TDialogBase::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TDialogBase::FinishRun()
{
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        close();
    }
}

bool TDialogBase::AlbumAccessGranted(TAlbumCombo *combo, const QString &album, const QString &wrongMessage,
                                     bool resetBeforeWarning)
{
    if (!PicDM->AlbumHasPassword(album))
        return true;
    const QString answer =
        TrimText(PicDM->AskPassword(QStringLiteral("访问密码"), QStringLiteral("该相册已设置访问密码,请输入密码:")));
    if (answer.isEmpty()) {
        combo->setCurrentIndex(0);
        return false;
    }
    if (PicDM->CheckAlbumPassword(album, answer))
        return true;
    if (resetBeforeWarning)
        combo->setCurrentIndex(0);
    PicDM->ShowWarning(QStringLiteral("警告"), wrongMessage);
    combo->setCurrentIndex(0);
    return false;
}

QLabel *TDialogBase::addBanner(int height)
{
    auto *banner = new QLabel(this);
    banner->setObjectName(QStringLiteral("Image1"));
    banner->setScaledContents(true);
    banner->setPixmap(Artwork::Render(QStringLiteral("header.svg"), QSize(width(), height)));
    banner->setGeometry(0, 0, width(), height);
    return banner;
}

void TDialogBase::addBannerWithSeparator(int height)
{
    addBanner(height);
    addLine(QRect(0, height, width(), 2))->setObjectName(QStringLiteral("RzSeparator1"));
}

QLabel *TDialogBase::addLabel(const QString &text, int left, int top)
{
    auto *label = new QLabel(text, this);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QPushButton *TDialogBase::addButton(const QString &text, const QRect &geometry)
{
    auto *button = new QPushButton(text, this);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QFrame *TDialogBase::addLine(const QRect &geometry)
{
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(geometry);
    return line;
}

QLineEdit *TDialogBase::addPasswordEntry(const char *name, const QRect &geometry, int maxBytes)
{
    auto *entry = new QLineEdit(this);
    entry->setObjectName(QString::fromLatin1(name));
    entry->setGeometry(geometry);
    entry->setEchoMode(QLineEdit::Password);
    entry->setValidator(new TGbkLengthValidator(maxBytes, entry));
    return entry;
}

TAlbumCombo *TDialogBase::addAlbumChooser(const QRect &geometry, const QString &placeholder)
{
    auto *combo = new TAlbumCombo(this);
    combo->setObjectName(QStringLiteral("LibCom"));
    combo->setGeometry(geometry);
    combo->Fill(placeholder, {});
    return combo;
}

void RefillAlbums(TAlbumCombo *combo, const QString &placeholder)
{
    QStringList albums;
    PicDM->ListAlbums(&albums);
    combo->Fill(placeholder, albums);
}

QString ChosenAlbum(const TAlbumCombo *combo, const QString &placeholder)
{
    const QString album = TrimText(combo->currentText());
    return album == placeholder ? QString() : album;
}

QUrl WebLogUrl()
{
    // The program's own guide, the README of its source folder.
    const QDir programDir(QCoreApplication::applicationDirPath());
    for (const QString &candidate : {programDir.filePath(QStringLiteral("../README.md")),
                                     programDir.filePath(QStringLiteral("README.md"))})
        if (QFileInfo::exists(candidate))
            return QUrl::fromLocalFile(QFileInfo(candidate).canonicalFilePath());
    return QUrl::fromLocalFile(programDir.filePath(QStringLiteral("../README.md")));
}

// ---------------------------------------------------------------- TAlbumCombo

TAlbumCombo::TAlbumCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    setMaxVisibleItems(8);
    setIconSize(QSize(16, 16));
    m_icon = QIcon(Artwork::ImageList().value(5));
}

void TAlbumCombo::Fill(const QString &placeholder, const QStringList &albums)
{
    clear();
    addItem(m_icon, placeholder);
    for (const QString &album : albums)
        addItem(m_icon, album);
    setCurrentIndex(0);
}

void TAlbumCombo::showPopup()
{
    emit dropDown();
    QComboBox::showPopup();
}

// ---------------------------------------------------------------- TPreviewFileDialog

TPreviewFileDialog::TPreviewFileDialog(const QString &title, const QString &filter, QWidget *parent)
    : QFileDialog(parent)
{
    setWindowTitle(title);
    // Qt's own dialog, so that the preview can stand beside the file list.
    setOption(QFileDialog::DontUseNativeDialog);
    setNameFilter(filter);
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("Preview"));
    m_preview->setFixedSize(180, 180);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addWidget(m_preview, 0, grid->columnCount(), grid->rowCount(), 1);
    connect(this, &QFileDialog::currentChanged, this, &TPreviewFileDialog::showPreview);
}

void TPreviewFileDialog::showPreview(const QString &path)
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
