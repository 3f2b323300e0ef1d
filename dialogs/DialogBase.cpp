#include "DialogBase.h"

#include "AlbumLibrary.h"
#include "Artwork.h"
#include "GbkLengthValidator.h"
#include "Prompts.h"
#include "TextRules.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

QString startFolder()
{
    const QString program = QCoreApplication::applicationDirPath();
    if (QFileInfo(program).isWritable())
        return program;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

DialogBase::DialogBase(const QString &caption, const QSize &clientSize, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(caption);
    setFixedSize(clientSize);
    setModal(true);
}

DialogBase::DialogBase(AlbumLibrary &library, const QString &caption, const QSize &clientSize, QWidget *owner)
    : DialogBase(caption, clientSize, owner)
{
    m_library = &library;
    m_openedAlbums = std::make_unique<AlbumLibraryTask>(library);
}

DialogBase::~DialogBase() = default;

void DialogBase::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        // As the close control: a dialog running work closes when it ends.
        event->accept();
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void DialogBase::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    makeRoomForLabels();
    const QWidget *owner = parentWidget();
    const QRect over = owner ? owner->frameGeometry()
                             : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                                 : QRect());
    if (over.isValid())
        move(over.center() - QPoint(width() / 2, height() / 2));
}

void DialogBase::makeRoomForLabels()
{
    // The controls stand where the Chinese captions need them; a longer
    // translation narrows the entry beside its caption from the left, so
    // that the right-hand column stays where it is. Entries that began at
    // one edge keep one edge.
    const QList<QLabel *> labels = findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    const QList<QWidget *> children = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    // Entries and choosers: the captions' own labels, buttons (whose
    // captions would be cut) and the banner stay where they are.
    const auto isEntry = [](const QWidget *widget) {
        return qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QComboBox *>(widget);
    };
    QHash<int, int> edgeOf; // entries' left edge, and where they must begin
    for (const QLabel *label : labels) {
        if (label->text().isEmpty() || !label->pixmap().isNull())
            continue;
        const int textRight = label->x() + label->sizeHint().width() + 4;
        for (const QWidget *field : children) {
            if (!isEntry(field) || field->x() <= label->x() || field->x() >= textRight)
                continue;
            if (field->y() < label->y() + label->height() && label->y() < field->y() + field->height())
                edgeOf[field->x()] = std::max(edgeOf.value(field->x(), field->x()), textRight);
        }
    }
    for (QWidget *field : children) {
        const int edge = edgeOf.value(field->x(), field->x());
        if (edge > field->x() && isEntry(field) && field->width() > edge - field->x())
            field->setGeometry(QRect(QPoint(edge, field->y()), field->geometry().bottomRight()));
    }
}

void DialogBase::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void DialogBase::finishRun()
{
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        close();
    }
}

bool DialogBase::albumAccessGranted(AlbumChooser *combo, const QString &album, const QString &wrongMessage,
                                     bool resetBeforeWarning)
{
    if (!library().albumHasPassword(album))
        return true;
    const QString answer = trimText(Prompts::askPassword(tr("访问密码"), tr("该相册已设置访问密码,请输入密码:")));
    if (answer.isEmpty()) {
        combo->setCurrentIndex(0);
        return false;
    }
    if (library().unlock(album, answer))
        return true;
    if (resetBeforeWarning)
        combo->setCurrentIndex(0);
    Prompts::showWarning(tr("警告"), wrongMessage);
    combo->setCurrentIndex(0);
    return false;
}

QLabel *DialogBase::addBanner(int height)
{
    auto *banner = new QLabel(this);
    banner->setObjectName(QStringLiteral("banner"));
    banner->setScaledContents(true);
    banner->setPixmap(Artwork::render(QStringLiteral("header.svg"), QSize(width(), height)));
    banner->setGeometry(0, 0, width(), height);
    return banner;
}

void DialogBase::addBannerWithSeparator(int height)
{
    addBanner(height);
    addLine(QRect(0, height, width(), 2))->setObjectName(QStringLiteral("bannerLine"));
}

QLabel *DialogBase::addLabel(const QString &text, int left, int top)
{
    auto *label = new QLabel(text, this);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QPushButton *DialogBase::addButton(const QString &text, const QRect &geometry)
{
    auto *button = new QPushButton(text, this);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QFrame *DialogBase::addLine(const QRect &geometry)
{
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(geometry);
    return line;
}

QLineEdit *DialogBase::addPasswordEntry(const char *name, const QRect &geometry, int maxBytes)
{
    auto *entry = new QLineEdit(this);
    entry->setObjectName(QString::fromLatin1(name));
    entry->setGeometry(geometry);
    entry->setEchoMode(QLineEdit::Password);
    entry->setValidator(new GbkLengthValidator(maxBytes, entry));
    return entry;
}

AlbumChooser *DialogBase::addAlbumChooser(const QRect &geometry, const QString &placeholder)
{
    auto *combo = new AlbumChooser(this);
    combo->setObjectName(QStringLiteral("albumChooser"));
    combo->setGeometry(geometry);
    combo->fill(placeholder, {});
    return combo;
}
