#include "PasswordPromptBox.h"

#include "GbkLengthValidator.h"
#include "Prompts.h"
#include "PromptWindow.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kPasswordMaxBytes = 255;

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

PasswordPromptBox::PasswordPromptBox(const QString &title, const QString &prompt, QWidget *parent)
    : QDialog(parent, PromptWindow::flags())
{
    setWindowTitle(title);
    setFont(PromptWindow::font());
    setObjectName(QStringLiteral("passwordBox"));
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
    m_entry->setObjectName(QStringLiteral("passwordEntry"));
    // Masked so that nobody looking at the screen reads the password.
    m_entry->setEchoMode(QLineEdit::Password);
    m_entry->setValidator(new GbkLengthValidator(kPasswordMaxBytes, m_entry));
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
    PromptWindow::centreOnScreen(this);
}

void PasswordPromptBox::reject() { done(IdCancel); }
