#pragma once
// A thin wrapper over the SQLCipher C API: one connection. Every failed call
// throws SqlError carrying SQLite's result code.

#include "SqlError.h"

#include <QByteArray>
#include <QString>

#include <functional>

struct sqlite3;

class SqlConnection
{
public:
    SqlConnection() = default;
    ~SqlConnection();
    SqlConnection(const SqlConnection &) = delete;
    SqlConnection &operator=(const SqlConnection &) = delete;

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

    // True outside any transaction.
    bool inAutocommit() const;

    // Rows changed by the last action statement.
    int changes() const;

    sqlite3 *handle() const { return m_db; }
    // Throws SqlError for a failed call with the connection's own message.
    [[noreturn]] void fail(int rc) const;

    // Told the result code of every failure of this connection before it is
    // thrown, so that the owner can notice a damaged file wherever it shows.
    void setFailureObserver(std::function<void(int code)> observer) { m_observer = std::move(observer); }

private:
    [[noreturn]] void raise(int rc, const std::string &message) const;

    sqlite3 *m_db = nullptr;
    std::function<void(int)> m_observer;
};

// A setting of a connection for a while (a pragma), put back after.
class SqlSetting
{
public:
    // Throws SqlError when during cannot be set; after is never thrown.
    SqlSetting(SqlConnection &db, const char *during, const char *after) : m_db(db), m_after(after)
    {
        m_db.execFixed(during);
    }
    ~SqlSetting()
    {
        try {
            m_db.execFixed(m_after);
        } catch (const SqlError &) {
        }
    }
    SqlSetting(const SqlSetting &) = delete;
    SqlSetting &operator=(const SqlSetting &) = delete;

private:
    SqlConnection &m_db;
    const char *m_after;
};
