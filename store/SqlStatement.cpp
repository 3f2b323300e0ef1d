#include "SqlStatement.h"

#include "SqlConnection.h"

#include <sqlite3.h>

SqlStatement::SqlStatement(SqlConnection &db, const QString &sql) : m_db(db)
{
    if (!db.isOpen())
        throw SqlError(SQLITE_MISUSE, "connection closed");
    const QByteArray text = sql.toUtf8();
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

SqlStatement &SqlStatement::bind(int index, qint64 value)
{
    check(sqlite3_bind_int64(m_stmt, index, value));
    return *this;
}

SqlStatement &SqlStatement::bind(int index, const QString &value)
{
    const QByteArray text = value.toUtf8();
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
