#pragma once
// A prepared statement with bound parameters on one connection.

#include "SqlError.h"

#include <QByteArray>
#include <QString>

struct sqlite3_stmt;
class SqlConnection;

class SqlStatement
{
public:
    SqlStatement(SqlConnection &db, const QString &sql); // throws SqlError
    ~SqlStatement();
    SqlStatement(const SqlStatement &) = delete;
    SqlStatement &operator=(const SqlStatement &) = delete;

    // Parameters are numbered from 1. Throws SqlError.
    SqlStatement &bind(int index, qint64 value);
    SqlStatement &bind(int index, const QString &value);
    SqlStatement &bindBlob(int index, const QByteArray &value);

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
    void check(int rc) const;

    SqlConnection &m_db;
    sqlite3_stmt *m_stmt = nullptr;
};
