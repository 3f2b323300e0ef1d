#include "ConnectionString.h"

#include "StoreSchema.h"

#include <QList>
#include <QPair>

namespace ConnectionString {

namespace {

QString quoted(const QString &value)
{
    const bool needsQuotes = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('"'))
                             || value != value.trimmed();
    if (!needsQuotes)
        return value;
    QString out = value;
    out.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QList<QPair<QString, QString>> parse(const QString &connection)
{
    QList<QPair<QString, QString>> pairs;
    qsizetype i = 0;
    const qsizetype n = connection.size();
    while (i < n) {
        const qsizetype eq = connection.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            break;
        const QString key = connection.mid(i, eq - i).trimmed();
        i = eq + 1;
        while (i < n && connection.at(i) == QLatin1Char(' '))
            ++i;
        QString value;
        if (i < n && connection.at(i) == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (connection.at(i) == QLatin1Char('"')) {
                    if (i + 1 < n && connection.at(i + 1) == QLatin1Char('"')) {
                        value += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += connection.at(i++);
            }
            const qsizetype semi = connection.indexOf(QLatin1Char(';'), i);
            i = semi < 0 ? n : semi + 1;
        } else {
            const qsizetype semi = connection.indexOf(QLatin1Char(';'), i);
            const qsizetype end = semi < 0 ? n : semi;
            value = connection.mid(i, end - i).trimmed();
            i = end + 1;
        }
        pairs.append({key, value});
    }
    return pairs;
}

} // namespace

QString forStore(const QString &path)
{
    return QStringLiteral("Provider=SQLCipher;Data Source=%1;Persist Security Info=False;Database Password=%2")
        .arg(quoted(path), quoted(QString::fromLatin1(StoreSchema::databasePassword())));
}

QString value(const QString &connection, const QString &key, bool *found)
{
    for (const auto &pair : parse(connection)) {
        if (pair.first.compare(key, Qt::CaseInsensitive) == 0) {
            if (found)
                *found = true;
            return pair.second;
        }
    }
    if (found)
        *found = false;
    return QString();
}

} // namespace ConnectionString
