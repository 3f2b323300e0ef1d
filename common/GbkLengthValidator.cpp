#include "GbkLengthValidator.h"

#include "TextRules.h"

QValidator::State GbkLengthValidator::validate(QString &input, int &) const
{
    return gbkByteLength(input) <= m_maxBytes ? Acceptable : Invalid;
}

void GbkLengthValidator::fixup(QString &input) const { input = gbkTruncate(input, m_maxBytes); }
