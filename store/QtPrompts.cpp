#include "QtPrompts.h"

#include "TextRules.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

constexpr int kButtonWidth = 70;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 10;
constexpr int kMinOuterWidth = 130;
constexpr int kPasswordMaxBytes = 255;

const Qt::WindowFlags kBoxFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

QFont promptFont()
{
    QFont f = QApplication::font();
    f.setPixelSize(11);
    return f;
}

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

void centreOnScreen(QWidget *w)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
}

// Dialog units: a quarter of the average character width across, an eighth
// of the character height down.
struct DialogUnits
{
    explicit DialogUnits(const QFont &font)
    {
        const QFontMetrics fm(font);
        const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        baseX = (fm.horizontalAdvance(letters) / 26 + 1) / 2;
        baseY = fm.height();
    }
    int x(int units) const { return units * baseX / 4; }
    int y(int units) const { return units * baseY / 8; }
    int baseX;
    int baseY;
};

} // namespace

// ---------------------------------------------------------------- TMesBox

TMesBox::TMesBox(PromptKind kind, const QString &title, const QString &text, QWidget *parent)
    : QDialog(parent, kBoxFlags)
{
    setWindowTitle(title);
    setFont(promptFont());
    setObjectName(QStringLiteral("Mes"));

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("MesText"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(false);
    m_text->setText(text);
    m_text->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
    m_text->adjustSize();
    m_text->move(50, 15);

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("MesIcon"));
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
    centreOnScreen(this);
}

void TMesBox::addButton(const QString &caption, int code)
{
    auto *b = new QPushButton(caption, this);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, code] { done(code); });
    m_buttons.append(b);
}

void TMesBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        done(m_escapeCode);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TMesBox::reject() { done(m_closeCode); }

// ---------------------------------------------------------------- TPasswordBox

TPasswordBox::TPasswordBox(const QString &title, const QString &prompt, QWidget *parent)
    : QDialog(parent, kBoxFlags)
{
    setWindowTitle(title);
    setFont(promptFont());
    setObjectName(QStringLiteral("InputDlg"));
    const DialogUnits du(font());

    m_prompt = new QLabel(this);
    m_prompt->setTextFormat(Qt::PlainText);
    m_prompt->setText(prompt);
    const int maxWidth = du.x(164);
    m_prompt->adjustSize();
    if (m_prompt->width() > maxWidth) {
        m_prompt->setWordWrap(true);
        m_prompt->setFixedWidth(maxWidth);
        m_prompt->setFixedHeight(m_prompt->heightForWidth(maxWidth));
    }
    m_prompt->move(du.x(8), du.y(8));

    m_entry = new QLineEdit(this);
    m_entry->setObjectName(QStringLiteral("InputEdit"));
    // Masked so that nobody looking at the screen reads the password.
    m_entry->setEchoMode(QLineEdit::Password);
    m_entry->setValidator(new TGbkLengthValidator(kPasswordMaxBytes, m_entry));
    m_entry->setGeometry(du.x(8), m_prompt->y() + m_prompt->height() + 5, du.x(164),
                         m_entry->sizeHint().height());

    const int buttonsTop = m_entry->y() + m_entry->height() + 15;
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setGeometry(du.x(38), buttonsTop, du.x(50), du.y(14));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, [this] { done(IdOk); });
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setGeometry(du.x(92), buttonsTop, du.x(50), du.y(14));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, [this] { done(IdCancel); });

    setFixedSize(du.x(180), buttonsTop + du.y(14) + 13);
    m_entry->setFocus();
    centreOnScreen(this);
}

void TPasswordBox::reject() { done(IdCancel); }

// ---------------------------------------------------------------- TQtPrompts

int TQtPrompts::Message(PromptKind kind, const QString &title, const QString &text)
{
    TMesBox box(kind, title, text);
    return box.exec();
}

int TQtPrompts::AskYesNo(const QString &title, const QString &text)
{
    TMesBox box(PromptKind::YesNo, title, text);
    return box.exec();
}

QString TQtPrompts::AskPassword(const QString &title, const QString &prompt)
{
    TPasswordBox box(title, prompt);
    return box.exec() == IdOk ? box.Entry()->text() : QString();
}
