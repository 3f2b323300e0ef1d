#pragma once
// Text rules shared by every window: trimming and lengths counted in GBK bytes.

#include <QString>

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
