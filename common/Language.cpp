#include "Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Language {

namespace {

QList<QTranslator *> s_installed;
QString s_current = QStringLiteral("zh_CN");

bool installTranslator(const QString &file, const QString &folder)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(file, folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    s_installed.append(translator);
    return true;
}

} // namespace

bool prefersEnglish(const QStringList &languages)
{
    for (const QString &name : languages) {
        const QLocale::Language language = QLocale(name).language();
        if (language == QLocale::English && name.compare(QLatin1String("C"), Qt::CaseInsensitive) != 0
            && name.compare(QLatin1String("POSIX"), Qt::CaseInsensitive) != 0)
            return true;
        if (language == QLocale::Chinese)
            return false;
    }
    return false;
}

bool userPrefersEnglish() { return prefersEnglish(QLocale::system().uiLanguages()); }

QString current() { return s_current; }

void install() { install(userPrefersEnglish() ? QStringLiteral("en") : QStringLiteral("zh_CN")); }

bool install(const QString &language)
{
    for (QTranslator *translator : std::as_const(s_installed)) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    s_installed.clear();
    s_current = QStringLiteral("zh_CN");
    if (language == s_current) {
        // The program's own texts are Chinese already; Qt's (file dialogs,
        // standard buttons, the entries' edit menus) are not.
        return installTranslator(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
    // Qt's own texts are English already.
    if (!installTranslator(QStringLiteral("quilbo_") + language, QStringLiteral(":/i18n")))
        return false;
    s_current = language;
    return true;
}

} // namespace Language
