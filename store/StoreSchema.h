#pragma once
// The album store's fixed facts: the database password, the schema, and the
// code that makes an empty store (used by the build tool and by tests).

#include <QByteArray>
#include <QString>

class SqlConnection;

namespace StoreSchema {

// The database password every store is keyed with.
QByteArray databasePassword();

// Page size set on every connection before its first read; a store made
// with one page size cannot be read with another.
constexpr int CipherPageSize = 4096;

// Version of the schema, kept in the store's user_version. Version 2 adds
// the protected albums' keys (PicKeyTable) and keeps no album password;
// version 3 keeps the pictures' content hashes as SHA-256.
constexpr int SchemaVersion = 3;

// Keys a freshly opened connection and sets its cipher parameters. Must run
// before the connection's first read. The page key comes from pageKeyFor()
// with the salt at the start of the connection's file (a new, empty file
// gets a new salt), so a process derives it once per file.
void keyConnection(SqlConnection &db);

// Bytes of the salt at the start of every store file.
constexpr int SaltSize = 16;
// The pages' encryption key of a store whose file starts with that salt:
// the database password through PBKDF2-HMAC-SHA1 (64,000 rounds, the
// cipher's own), derived once per salt and process and kept. Nothing is
// secret in it that the password built into the program does not give.
QByteArray pageKeyFor(const QByteArray &salt);
// The key text SQLCipher takes as the raw key and salt of a file (for a
// connection's key or an ATTACH ... KEY), for that salt; with none given, a
// new random salt, for a new file.
QByteArray rawKeyText(QByteArray salt = QByteArray());

// Creates the tables on an empty, keyed connection.
void createTables(SqlConnection &db);
// The table of the protected albums' wrapped keys, made when missing (a
// store of an older version lacks it).
void createKeyTable(SqlConnection &db);
// The pictures' thumbnails, made when missing (an older store lacks it).
// A trigger deletes a picture's thumbnail with it, so that a program that
// knows nothing of thumbnails keeps them right too.
void createThumbnailTable(SqlConnection &db);
// The pictures' content hashes, which recognise a picture imported again
// without reading the pictures already stored; made when missing, and
// deleted with their pictures by a trigger as the thumbnails are.
void createHashTable(SqlConnection &db);
// Tasks a change left to finish after its commit (a row 'scrub': the file
// still holds fragments of pictures since encrypted, until it is rewritten).
// A store rewritten into a copy drops the table.
void createPendingTable(SqlConnection &db);

// The exact spelling of a table or column of the schema for a name given in
// any letter case; empty when the name is not one of the schema's. A column
// is accepted only together with the table that holds it.
QString canonicalTable(const QString &table);
QString canonicalColumn(const QString &table, const QString &column);

// Creates an empty store at path. Never replaces an existing file: the store
// is built under a temporary name in the same folder and then linked into
// place, which fails if anything appeared there. Returns false with a
// message in *error on failure; nothing is left behind.
bool createEmptyStore(const QString &path, QString *error = nullptr);

} // namespace StoreSchema
