#pragma once
// A store's file as a connection's engine holds it open. Reading and writing
// through the engine's own handle keeps its locks: closing any other
// descriptor of the same file would let go of every lock the process holds
// on it, under a transaction that believes it still holds them.

#include <QtGlobal>

struct sqlite3_file;
class SqlConnection;

class EngineFile
{
public:
    // Throws SqlError when the connection has no file open.
    explicit EngineFile(SqlConnection &db);

    // Each throws SqlError on failure; a read past the end is one.
    qint64 size() const;
    void read(void *into, qint64 bytes, qint64 offset) const;
    void write(const void *from, qint64 bytes, qint64 offset) const;
    void flush() const;

private:
    sqlite3_file *m_file = nullptr;
};
