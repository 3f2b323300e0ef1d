#include "SqlDb.h"

#include <sqlite3.h>

namespace {

QByteArray utf8(const QString &s) { return s.toUtf8(); }

} // namespace

// ---------------------------------------------------------------- SqlDb

SqlDb::~SqlDb() { close(); }

void SqlDb::open(const QString &path, bool create)
{
    close();
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(utf8(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        throw SqlError(rc, msg);
    }
    m_db = db;
    sqlite3_extended_result_codes(m_db, 0);
}

void SqlDb::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

void SqlDb::key(const QByteArray &password)
{
    if (!m_db)
        throw SqlError(SQLITE_MISUSE, "connection closed");
    const int rc = sqlite3_key(m_db, password.constData(), int(password.size()));
    if (rc != SQLITE_OK)
        fail(rc);
}

void SqlDb::execFixed(const char *sql)
{
    if (!m_db)
        throw SqlError(SQLITE_MISUSE, "connection closed");
    char *err = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const std::string msg = err ? err : sqlite3_errstr(rc);
        sqlite3_free(err);
        throw SqlError(rc, msg);
    }
}

int SqlDb::changes() const { return m_db ? sqlite3_changes(m_db) : 0; }

void SqlDb::fail(int rc) const
{
    throw SqlError(rc, m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
}

// ---------------------------------------------------------------- SqlStatement

SqlStatement::SqlStatement(SqlDb &db, const QString &sql) : m_db(db)
{
    if (!db.isOpen())
        throw SqlError(SQLITE_MISUSE, "connection closed");
    const QByteArray text = utf8(sql);
    const int rc = sqlite3_prepare_v2(db.handle(), text.constData(), int(text.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        db.fail(rc);
    }
    if (!m_stmt) // empty statement text
        throw SqlError(SQLITE_MISUSE, "empty statement");
}

SqlStatement::~SqlStatement() { sqlite3_finalize(m_stmt); }

void SqlStatement::check(int rc) const
{
    if (rc != SQLITE_OK)
        m_db.fail(rc);
}

int SqlStatement::parameterIndex(const char *name) const
{
    const int n = sqlite3_bind_parameter_count(m_stmt);
    for (int i = 1; i <= n; ++i) {
        const char *p = sqlite3_bind_parameter_name(m_stmt, i);
        if (p && sqlite3_stricmp(p, name) == 0)
            return i;
    }
    throw SqlError(SQLITE_RANGE, std::string("no parameter ") + name);
}

SqlStatement &SqlStatement::bind(int index, qint64 value)
{
    check(sqlite3_bind_int64(m_stmt, index, value));
    return *this;
}

SqlStatement &SqlStatement::bind(int index, const QString &value)
{
    const QByteArray text = utf8(value);
    check(sqlite3_bind_text(m_stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT));
    return *this;
}

SqlStatement &SqlStatement::bindBlob(int index, const QByteArray &value)
{
    // A zero-length blob must stay a blob, not become NULL.
    check(value.isEmpty() ? sqlite3_bind_zeroblob(m_stmt, index, 0)
                          : sqlite3_bind_blob64(m_stmt, index, value.constData(),
                                                sqlite3_uint64(value.size()), SQLITE_STATIC));
    return *this;
}

SqlStatement &SqlStatement::bind(const char *name, qint64 value) { return bind(parameterIndex(name), value); }
SqlStatement &SqlStatement::bind(const char *name, const QString &value) { return bind(parameterIndex(name), value); }
SqlStatement &SqlStatement::bindBlob(const char *name, const QByteArray &value)
{
    return bindBlob(parameterIndex(name), value);
}

bool SqlStatement::next()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_db.fail(rc);
}

void SqlStatement::exec()
{
    while (next()) {
    }
}

int SqlStatement::columnCount() const { return sqlite3_column_count(m_stmt); }

int SqlStatement::column(const char *name) const
{
    const int n = sqlite3_column_count(m_stmt);
    for (int i = 0; i < n; ++i) {
        const char *c = sqlite3_column_name(m_stmt, i);
        if (c && sqlite3_stricmp(c, name) == 0)
            return i;
    }
    throw SqlError(SQLITE_RANGE, std::string("no column ") + name);
}

bool SqlStatement::isNull(int col) const { return sqlite3_column_type(m_stmt, col) == SQLITE_NULL; }
qint64 SqlStatement::int64(int col) const { return sqlite3_column_int64(m_stmt, col); }

QString SqlStatement::text(int col) const
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, col));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, col)) : QString();
}

QByteArray SqlStatement::blob(int col) const
{
    const void *p = sqlite3_column_blob(m_stmt, col);
    const int n = sqlite3_column_bytes(m_stmt, col);
    return p ? QByteArray(static_cast<const char *>(p), n) : QByteArray();
}

QByteArray SqlStatement::blobView(int col) const
{
    const void *p = sqlite3_column_blob(m_stmt, col);
    const int n = sqlite3_column_bytes(m_stmt, col);
    return p ? QByteArray::fromRawData(static_cast<const char *>(p), n) : QByteArray();
}

// ---------------------------------------------------------------- SqlTransaction

SqlTransaction::SqlTransaction(SqlDb &db) : m_db(db)
{
    db.execFixed("BEGIN IMMEDIATE");
}

SqlTransaction::~SqlTransaction()
{
    if (m_open && m_db.isOpen())
        sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqlTransaction::commit()
{
    if (!m_open)
        throw SqlError(SQLITE_MISUSE, "transaction already ended");
    m_db.execFixed("COMMIT");
    m_open = false;
}
