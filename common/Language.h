#pragma once
// The language the program speaks: its texts are written in Chinese, and an
// English translation is built in. A user whose language is English gets
// English; everyone else gets the Chinese texts as they are written.

#include <QStringList>

namespace Language {

// Whether a user whose languages are these, in the order they prefer them
// (as QLocale::uiLanguages gives them: "en-GB", "zh_CN", "C"), gets the
// English texts: the first that is English or Chinese decides; with
// neither, Chinese.
bool prefersEnglish(const QStringList &languages);

// The same for the user running the program (LANGUAGE, then LC_ALL,
// LC_MESSAGES and LANG).
bool userPrefersEnglish();

// Installs the program's texts and Qt's own in the user's language.
// Needs the application object; call it once, before any text is made.
void install();

// The language installed: "en" or "zh_CN" (also before any is installed).
QString current();

// Installs them for the language given ("en" or "zh_CN") instead; false
// when the translation is not there.
bool install(const QString &language);

} // namespace Language
