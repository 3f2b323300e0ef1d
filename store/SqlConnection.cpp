#include "SqlConnection.h"

#include "EngineCipher.h"
#include "WriteCoalescing.h"

#include <sqlite3.h>

SqlConnection::~SqlConnection() { close(); }

void SqlConnection::open(const QString &path, bool create)
{
    close();
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    EngineCipher::install();
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, WriteCoalescing::vfsName());
    if (rc != SQLITE_OK) {
        const std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        throw SqlError(rc, msg);
    }
    m_db = db;
    sqlite3_extended_result_codes(m_db, 0);
    // A store another connection is writing to is waited for a moment
    // rather than failing at once.
    sqlite3_busy_timeout(m_db, 5000);
}

void SqlConnection::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

void SqlConnection::key(const QByteArray &password)
{
    if (!m_db)
        throw SqlError(SQLITE_MISUSE, "connection closed");
    const int rc = sqlite3_key(m_db, password.constData(), int(password.size()));
    if (rc != SQLITE_OK)
        fail(rc);
}

void SqlConnection::execFixed(const char *sql)
{
    if (!m_db)
        throw SqlError(SQLITE_MISUSE, "connection closed");
    char *err = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const std::string msg = err ? err : sqlite3_errstr(rc);
        sqlite3_free(err);
        raise(rc, msg);
    }
}

bool SqlConnection::inAutocommit() const { return m_db && sqlite3_get_autocommit(m_db) != 0; }

int SqlConnection::changes() const { return m_db ? sqlite3_changes(m_db) : 0; }

void SqlConnection::fail(int rc) const { raise(rc, m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc)); }

void SqlConnection::raise(int rc, const std::string &message) const
{
    if (m_observer)
        m_observer(rc);
    throw SqlError(rc, message);
}
