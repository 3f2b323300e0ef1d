#pragma once

#include "SqlError.h"

class SqlConnection;

// Rolls back unless committed; the destructor never throws.
class SqlTransaction
{
public:
    // A write transaction takes the write lock at once (BEGIN IMMEDIATE); a
    // read transaction takes the read lock at once, which keeps every other
    // connection from committing until it ends; an exclusive one keeps
    // every other connection from reading too. Throws SqlError.
    enum class Kind { Write, Read, Exclusive };
    explicit SqlTransaction(SqlConnection &db, Kind kind = Kind::Write);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction &) = delete;
    SqlTransaction &operator=(const SqlTransaction &) = delete;
    void commit(); // throws SqlError; a second commit throws too

private:
    SqlConnection &m_db;
    bool m_open = true;
};
