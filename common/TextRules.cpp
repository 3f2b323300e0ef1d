#include "TextRules.h"

#include <QList>

namespace {

bool isTrimmed(QChar c) { return c.unicode() <= 32; }

int gbkBytes(char32_t ucs) { return ucs < 0x80 ? 1 : 2; }

} // namespace

QString trimText(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString asciiFolded(const QString &text)
{
    QString folded = text;
    for (QChar &c : folded)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}

int gbkByteLength(const QString &text)
{
    int n = 0;
    for (char32_t c : text.toUcs4())
        n += gbkBytes(c);
    return n;
}

QString gbkTruncate(const QString &text, int maxBytes)
{
    int n = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
        if (n + gbkBytes(c) > maxBytes)
            break;
        n += gbkBytes(c);
        i += pair ? 2 : 1;
    }
    return text.left(i);
}

bool isSafeName(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool control = u < 0x20 || (u >= 0x7f && u <= 0x9f);
        const bool direction = (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069);
        if (control || direction)
            return false;
    }
    return true;
}

bool safeEntryName(const QString &name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) && name != QLatin1String(".")
           && name != QLatin1String("..");
}
