#pragma once
// A thin wrapper over the SQLCipher C API: one connection, prepared
// statements with bound parameters, and a transaction guard. Every failed
// call throws SqlError carrying SQLite's result code.

#include <QByteArray>
#include <QString>

#include <stdexcept>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

class SqlError : public std::runtime_error
{
public:
    SqlError(int code, const std::string &message)
        : std::runtime_error(message), m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

class SqlDb;

class SqlStatement
{
public:
    SqlStatement(SqlDb &db, const QString &sql); // throws SqlError
    ~SqlStatement();
    SqlStatement(const SqlStatement &) = delete;
    SqlStatement &operator=(const SqlStatement &) = delete;

    // Parameters are numbered from 1, or named with their marker (":s_PicName");
    // a name is matched without regard to letter case. Throws SqlError.
    SqlStatement &bind(int index, qint64 value);
    SqlStatement &bind(int index, const QString &value);
    SqlStatement &bindBlob(int index, const QByteArray &value);
    SqlStatement &bind(const char *name, qint64 value);
    SqlStatement &bind(const char *name, const QString &value);
    SqlStatement &bindBlob(const char *name, const QByteArray &value);

    // Advances to the next row; false when there is none. Throws SqlError.
    bool next();
    // Runs an action statement to its end. Throws SqlError.
    void exec();

    int columnCount() const;
    // Columns are found by name without regard to letter case; an unknown
    // name throws SqlError.
    int column(const char *name) const;
    bool isNull(int col) const;
    qint64 int64(int col) const;
    QString text(int col) const;
    QByteArray blob(int col) const;
    // The blob without a copy: valid only until the next call on the
    // statement.
    QByteArray blobView(int col) const;

private:
    int parameterIndex(const char *name) const;
    void check(int rc) const;

    SqlDb &m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

class SqlDb
{
public:
    SqlDb() = default;
    ~SqlDb();
    SqlDb(const SqlDb &) = delete;
    SqlDb &operator=(const SqlDb &) = delete;

    // Opens an existing file read-write; never creates one. With create set,
    // a missing file is created. Throws SqlError; the connection stays closed
    // on failure.
    void open(const QString &path, bool create = false);
    void close();
    bool isOpen() const { return m_db != nullptr; }

    // Keys the connection (before its first read). The key is applied through
    // the codec API, never spliced into a statement.
    void key(const QByteArray &password);

    // Runs statement text without parameters, for schema and pragmas built
    // from fixed text only. Throws SqlError.
    void execFixed(const char *sql);

    // Rows changed by the last action statement.
    int changes() const;

    sqlite3 *handle() const { return m_db; }
    [[noreturn]] void fail(int rc) const;

private:
    sqlite3 *m_db = nullptr;
};

// Rolls back unless committed; the destructor never throws.
class SqlTransaction
{
public:
    explicit SqlTransaction(SqlDb &db); // BEGIN IMMEDIATE; throws SqlError
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction &) = delete;
    SqlTransaction &operator=(const SqlTransaction &) = delete;
    void commit(); // throws SqlError; a second commit throws too

private:
    SqlDb &m_db;
    bool m_open = true;
};
