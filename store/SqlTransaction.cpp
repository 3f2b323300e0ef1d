#include "SqlTransaction.h"

#include "SqlConnection.h"

#include <sqlite3.h>

SqlTransaction::SqlTransaction(SqlConnection &db, Kind kind) : m_db(db)
{
    if (kind == Kind::Write) {
        db.execFixed("BEGIN IMMEDIATE");
        return;
    }
    if (kind == Kind::Exclusive) {
        db.execFixed("BEGIN EXCLUSIVE");
        return;
    }
    db.execFixed("BEGIN DEFERRED");
    try {
        db.execFixed("SELECT count(*) FROM sqlite_master");
    } catch (const SqlError &) {
        sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
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
