#pragma once

#include "SqlError.h"

class SqlConnection;

// Rolls back unless committed; the destructor never throws.
class SqlTransaction
{
public:
    explicit SqlTransaction(SqlConnection &db); // BEGIN IMMEDIATE; throws SqlError
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction &) = delete;
    SqlTransaction &operator=(const SqlTransaction &) = delete;
    void commit(); // throws SqlError; a second commit throws too

private:
    SqlConnection &m_db;
    bool m_open = true;
};
