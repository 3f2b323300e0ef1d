#pragma once
// Text rules shared by every window: trimming and lengths counted in GBK bytes.

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>

// Removes leading and trailing characters of codes 0 to 32 (space and the
// control characters); other white space, such as the ideographic space,
// is kept.
QString trimText(const QString &text);

// The text with the letters A to Z in lower case and every other character
// kept: names and passwords compare alike in this form, as the store's
// NOCASE columns compare them.
QString asciiFolded(const QString &text);

// Length of the text in the GBK code page: 1 byte for ASCII, 2 for every
// other character.
int gbkByteLength(const QString &text);

// Columns the text takes on a terminal: 2 for each wide character (the
// ideographs, kana, hangul, full-width forms), 1 for the others.
int displayWidth(const QString &text);
// The text cut into lines of at most `width` columns: at a space where a
// line of words can break there, anywhere between wide characters.
QStringList wrapToWidth(const QString &text, int width);

// The longest prefix of text whose GBK length is at most maxBytes; a
// surrogate pair is never split.
QString gbkTruncate(const QString &text, int maxBytes);

// False when the text holds a control character or a character that
// changes the direction of the text around it (the bidirectional
// embeddings, overrides and isolates): a name holding one could show as
// another name.
bool isSafeName(const QString &text);

// A name that stays one entry inside its folder: no slash, no NUL, not "."
// or "..".
bool safeEntryName(const QString &name);

// Names taken (as the store compares them, letter case A to Z aside), and
// for each name the next suffix to try: a name taken many times over gets
// its suffix without trying every one before it again.
class TakenNames
{
public:
    void take(const QString &name) { m_taken.insert(asciiFolded(name)); }
    // The name, or the name with " (2)", " (3)" ... where it is taken;
    // taken from then on.
    QString unique(const QString &name)
    {
        QString candidate = name;
        const QString base = asciiFolded(name);
        if (m_taken.contains(base)) {
            int &n = m_nextSuffix[base];
            for (n = std::max(n, 2);; ++n) {
                candidate = QStringLiteral("%1 (%2)").arg(name).arg(n);
                if (!m_taken.contains(asciiFolded(candidate)))
                    break;
            }
        }
        take(candidate);
        return candidate;
    }

private:
    QSet<QString> m_taken;
    QHash<QString, int> m_nextSuffix;
};
