#include "PromptMessageBox.h"

#include "Prompts.h"
#include "PromptWindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

constexpr int kButtonWidth = 70;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 10;
constexpr int kMinOuterWidth = 130;

QStyle::StandardPixmap iconFor(PromptKind kind)
{
    switch (kind) {
    case PromptKind::Error:
        return QStyle::SP_MessageBoxCritical;
    case PromptKind::Warning:
        return QStyle::SP_MessageBoxWarning;
    case PromptKind::YesNo:
        return QStyle::SP_MessageBoxQuestion;
    default:
        return QStyle::SP_MessageBoxInformation;
    }
}

} // namespace

PromptMessageBox::PromptMessageBox(PromptKind kind, const QString &title, const QString &text, QWidget *parent)
    : QDialog(parent, PromptWindow::flags())
{
    setWindowTitle(title);
    setFont(PromptWindow::font());
    setObjectName(QStringLiteral("messageBox"));

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("messageText"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(false);
    m_text->setText(text);
    m_text->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
    m_text->adjustSize();
    m_text->move(50, 15);

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("messageIcon"));
    m_icon->setPixmap(style()->standardIcon(iconFor(kind)).pixmap(32, 32));
    m_icon->setFixedSize(32, 32);
    const int textCentre = m_text->y() + m_text->height() / 2;
    m_icon->move(5, std::max(10, textCentre - 16));

    if (kind == PromptKind::YesNo) {
        addButton(QStringLiteral("&Yes"), IdYes);
        addButton(QStringLiteral("&No"), IdNo);
        m_escapeCode = IdNo;
        m_closeCode = IdNo; // a confirmation never goes ahead without a Yes
    } else {
        addButton(QStringLiteral("OK"), IdOk);
        m_escapeCode = IdOk;
        m_closeCode = IdCancel;
    }
    m_buttons.first()->setDefault(true);
    m_buttons.first()->setFocus();

    const int n = int(m_buttons.size());
    const int rowWidth = n * kButtonWidth + (n - 1) * kButtonGap;
    const int clientHeight = kButtonHeight + m_text->height() + 50;
    int clientWidth = std::max(m_text->x() + m_text->width(), rowWidth) + 40;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        clientWidth = std::min(clientWidth, screen->availableGeometry().width());
    clientWidth = std::max(clientWidth, kMinOuterWidth);

    int left = (clientWidth - rowWidth) / 2;
    for (QPushButton *b : m_buttons) {
        b->setGeometry(left, clientHeight - kButtonHeight - 10, kButtonWidth, kButtonHeight);
        left += kButtonWidth + kButtonGap;
    }
    setFixedSize(clientWidth, clientHeight);
    PromptWindow::centreOnScreen(this);
}

void PromptMessageBox::addButton(const QString &caption, int code)
{
    auto *b = new QPushButton(caption, this);
    // A button that takes the focus becomes the one Enter presses, so that
    // Enter never answers Yes while the focus ring is on No.
    b->setAutoDefault(true);
    connect(b, &QPushButton::clicked, this, [this, code] { done(code); });
    m_buttons.append(b);
}

void PromptMessageBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        done(m_escapeCode);
        return;
    }
    QDialog::keyPressEvent(event);
}

void PromptMessageBox::reject() { done(m_closeCode); }
