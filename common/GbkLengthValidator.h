#pragma once
// An entry's length limit counted in GBK bytes, as the store's names and
// passwords are measured.

#include <QValidator>

// Refuses input that would make an entry longer than a number of GBK bytes.
class GbkLengthValidator : public QValidator
{
public:
    GbkLengthValidator(int maxBytes, QObject *parent = nullptr) : QValidator(parent), m_maxBytes(maxBytes) {}
    State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
    int maxBytes() const { return m_maxBytes; }

private:
    int m_maxBytes;
};
