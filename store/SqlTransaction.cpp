#include "SqlTransaction.h"

#include "SqlConnection.h"

#include <sqlite3.h>

SqlTransaction::SqlTransaction(SqlConnection &db) : m_db(db)
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
