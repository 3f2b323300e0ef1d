#pragma once
// Text rules shared by every window: trimming and lengths counted in GBK bytes.

#include <QString>

// Removes leading and trailing characters of codes 0 to 32 (space and the
// control characters); other white space, such as the ideographic space,
// is kept.
QString TrimText(const QString &text);

// Length of the text in the GBK code page: 1 byte for ASCII, 2 for every
// other character.
int GbkByteLength(const QString &text);

// The longest prefix of text whose GBK length is at most maxBytes; a
// surrogate pair is never split.
QString GbkTruncate(const QString &text, int maxBytes);

#include <QValidator>

// Refuses input that would make an entry longer than a number of GBK bytes.
class TGbkLengthValidator : public QValidator
{
public:
    TGbkLengthValidator(int maxBytes, QObject *parent = nullptr) : QValidator(parent), m_maxBytes(maxBytes) {}
    State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
    int MaxBytes() const { return m_maxBytes; }

private:
    int m_maxBytes;
};
