#include "StoreSchema.h"

#include "FileWriting.h"
#include "Sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <sqlite3.h>

#include <mutex>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace StoreSchema {

namespace {

struct TableColumns
{
    const char *table;
    std::initializer_list<const char *> columns;
};

const TableColumns kSchema[] = {
    {"PicLibTable", {"PicLibID", "PicLibName", "PicPass"}},
    {"PicInfoTable", {"PicInfoID", "PicLibID", "PicName", "PicExt"}},
    {"PicTable", {"PicInfoID", "Pic"}},
    {"PicKeyTable", {"PicLibID", "KeySalt", "KeyOps", "KeyMem", "WrappedKey"}},
    {"PicThumbTable", {"PicInfoID", "Thumb"}},
    {"PicHashTable", {"PicInfoID", "Hash"}},
};

const TableColumns *findTable(const QString &table)
{
    for (const TableColumns &t : kSchema)
        if (table.compare(QLatin1String(t.table), Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

} // namespace

QByteArray databasePassword() { return QByteArrayLiteral("qe!vorn.7315"); }

QByteArray pageKeyFor(const QByteArray &salt)
{
    static std::mutex lock;
    static QHash<QByteArray, QByteArray> keys;
    const std::lock_guard<std::mutex> guard(lock);
    auto found = keys.constFind(salt);
    if (found != keys.cend())
        return *found;
    const QByteArray password = databasePassword();
    QByteArray key(32, Qt::Uninitialized);
    PKCS5_PBKDF2_HMAC_SHA1(password.constData(), int(password.size()),
                           reinterpret_cast<const unsigned char *>(salt.constData()), int(salt.size()), 64000,
                           int(key.size()), reinterpret_cast<unsigned char *>(key.data()));
    keys.insert(salt, key);
    return key;
}

QByteArray rawKeyText(QByteArray salt)
{
    if (salt.size() != SaltSize) {
        salt = QByteArray(SaltSize, Qt::Uninitialized);
        if (RAND_bytes(reinterpret_cast<unsigned char *>(salt.data()), SaltSize) != 1)
            throw SqlError(SQLITE_ERROR, "no random salt for a new store file");
    }
    return "x'" + pageKeyFor(salt).toHex() + salt.toHex() + "'";
}

void keyConnection(SqlConnection &db)
{
    // The salt of the file the connection is on; a file too short to hold
    // one is new (or no store, which the first read tells).
    QByteArray salt;
    if (const char *path = sqlite3_db_filename(db.handle(), "main"); path && *path) {
        QFile file(QString::fromUtf8(path));
        if (file.open(QIODevice::ReadOnly))
            salt = file.read(SaltSize);
    }
    db.key(rawKeyText(salt));
    db.execFixed("PRAGMA cipher_page_size = 4096");
}

void createTables(SqlConnection &db)
{
    // NOCASE folds ASCII only, but keeps the store readable by the standard
    // sqlcipher shell (a custom collation would not be).
    // A map of the store's pages lets a compaction move only the pages it
    // frees (set before anything is written to the file).
    db.execFixed("PRAGMA auto_vacuum = INCREMENTAL");
    db.execFixed("PRAGMA user_version = 3");
    db.execFixed("CREATE TABLE PicLibTable ("
                 " PicLibID INTEGER NOT NULL PRIMARY KEY,"
                 " PicLibName TEXT NOT NULL COLLATE NOCASE,"
                 " PicPass TEXT NOT NULL DEFAULT '' COLLATE NOCASE)");
    db.execFixed("CREATE INDEX PicLibNameIdx ON PicLibTable (PicLibName)");
    db.execFixed("CREATE TABLE PicInfoTable ("
                 " PicInfoID INTEGER NOT NULL PRIMARY KEY,"
                 " PicLibID INTEGER NOT NULL REFERENCES PicLibTable (PicLibID) ON DELETE CASCADE,"
                 " PicName TEXT NOT NULL COLLATE NOCASE,"
                 " PicExt TEXT NOT NULL DEFAULT '' COLLATE NOCASE,"
                 " UNIQUE (PicLibID, PicName))");
    db.execFixed("CREATE TABLE PicTable ("
                 " PicInfoID INTEGER NOT NULL PRIMARY KEY REFERENCES PicInfoTable (PicInfoID) ON DELETE CASCADE,"
                 " Pic BLOB)");
    createKeyTable(db);
    createThumbnailTable(db);
    createHashTable(db);
    static_assert(SchemaVersion == 3, "createTables writes user_version 3");
}

void createPendingTable(SqlConnection &db)
{
    db.execFixed("CREATE TABLE IF NOT EXISTS PicPendingTable (Task TEXT NOT NULL PRIMARY KEY)");
}

void createThumbnailTable(SqlConnection &db)
{
    db.execFixed("CREATE TABLE IF NOT EXISTS PicThumbTable ("
                 " PicInfoID INTEGER NOT NULL PRIMARY KEY REFERENCES PicInfoTable (PicInfoID) ON DELETE CASCADE,"
                 " Thumb BLOB NOT NULL)");
    db.execFixed("CREATE TRIGGER IF NOT EXISTS PicThumbGoesWithPicture AFTER DELETE ON PicInfoTable BEGIN"
                 " DELETE FROM PicThumbTable WHERE PicInfoID = old.PicInfoID; END");
}

void createHashTable(SqlConnection &db)
{
    db.execFixed("CREATE TABLE IF NOT EXISTS PicHashTable ("
                 " PicInfoID INTEGER NOT NULL PRIMARY KEY REFERENCES PicInfoTable (PicInfoID) ON DELETE CASCADE,"
                 " Hash BLOB NOT NULL)");
    db.execFixed("CREATE INDEX IF NOT EXISTS PicHashIdx ON PicHashTable (Hash)");
    db.execFixed("CREATE TRIGGER IF NOT EXISTS PicHashGoesWithPicture AFTER DELETE ON PicInfoTable BEGIN"
                 " DELETE FROM PicHashTable WHERE PicInfoID = old.PicInfoID; END");
}

void createKeyTable(SqlConnection &db)
{
    db.execFixed("CREATE TABLE IF NOT EXISTS PicKeyTable ("
                 " PicLibID INTEGER NOT NULL PRIMARY KEY REFERENCES PicLibTable (PicLibID) ON DELETE CASCADE,"
                 " KeySalt BLOB NOT NULL,"
                 " KeyOps INTEGER NOT NULL,"
                 " KeyMem INTEGER NOT NULL,"
                 " WrappedKey BLOB NOT NULL)");
}

QString canonicalTable(const QString &table)
{
    const TableColumns *t = findTable(table);
    return t ? QString::fromLatin1(t->table) : QString();
}

QString canonicalColumn(const QString &table, const QString &column)
{
    const TableColumns *t = findTable(table);
    if (!t)
        return QString();
    for (const char *c : t->columns)
        if (column.compare(QLatin1String(c), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(c);
    return QString();
}

bool createEmptyStore(const QString &path, QString *error)
{
    auto failWith = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };

    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        return failWith(QStringLiteral("%1 already exists").arg(path));
    const QString folder = target.absolutePath();
    if (!QDir().mkpath(folder))
        return failWith(QStringLiteral("cannot create folder %1").arg(folder));

    QString tempPath;
    {
        QTemporaryFile reserve(folder + QStringLiteral("/.pdate-new-XXXXXX"));
        reserve.setAutoRemove(false);
        if (!reserve.open())
            return failWith(QStringLiteral("cannot write in %1: %2").arg(folder, reserve.errorString()));
        tempPath = reserve.fileName();
    }

    try {
        SqlConnection db;
        db.open(tempPath);
        keyConnection(db);
        createTables(db);
        db.close();
    } catch (const SqlError &e) {
        QFile::remove(tempPath);
        return failWith(QStringLiteral("cannot create the store: %1").arg(QString::fromUtf8(e.what())));
    }

    if (!flushToDisk(tempPath)) {
        QFile::remove(tempPath);
        return failWith(QStringLiteral("cannot flush %1").arg(tempPath));
    }
    // A store that appeared meanwhile is never replaced.
    if (!giveNameWithoutReplacing(tempPath, path)) {
        const int err = errno;
        QFile::remove(tempPath);
        return failWith(QStringLiteral("cannot create %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(err))));
    }
    QFile::remove(tempPath);
    flushToDisk(folder, true);
    return true;
}

} // namespace StoreSchema
