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

namespace {

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF)
           || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF)
           || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
           || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

} // namespace

int displayWidth(const QString &text)
{
    int width = 0;
    for (const char32_t c : text.toUcs4())
        width += isWide(c) ? 2 : 1;
    return width;
}

QStringList wrapToWidth(const QString &text, int width)
{
    QStringList lines;
    QString line;
    int used = 0;
    // Where the line may break last: after a space, or before a wide
    // character.
    qsizetype breakAt = -1;
    for (const char32_t c : text.toUcs4()) {
        const QString piece = QString::fromUcs4(&c, 1);
        const int w = isWide(c) ? 2 : 1;
        if (used + w > width && !line.isEmpty()) {
            if (isWide(c) || c == U' ' || breakAt <= 0) {
                lines.append(line.trimmed());
                line.clear();
            } else {
                lines.append(line.left(breakAt).trimmed());
                line = line.mid(breakAt);
            }
            used = displayWidth(line);
            breakAt = -1;
            if (c == U' ' && line.isEmpty())
                continue;
        }
        if (isWide(c))
            breakAt = line.size();
        line += piece;
        used += w;
        if (c == U' ' || isWide(c))
            breakAt = line.size();
    }
    if (!line.trimmed().isEmpty())
        lines.append(line.trimmed());
    return lines;
}
