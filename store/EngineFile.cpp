#include "EngineFile.h"

#include "Sql.h"

#include <sqlite3.h>

#include <string>

EngineFile::EngineFile(SqlConnection &db)
{
    if (sqlite3_file_control(db.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &m_file) != SQLITE_OK || !m_file
        || !m_file->pMethods)
        throw SqlError(SQLITE_ERROR, "the store's file is not open");
}

qint64 EngineFile::size() const
{
    sqlite3_int64 size = 0;
    if (const int rc = m_file->pMethods->xFileSize(m_file, &size); rc != SQLITE_OK)
        throw SqlError(rc, "cannot read the store's size");
    return size;
}

void EngineFile::read(void *into, qint64 bytes, qint64 offset) const
{
    if (const int rc = m_file->pMethods->xRead(m_file, into, int(bytes), offset); rc != SQLITE_OK)
        throw SqlError(rc, "cannot read the store at byte " + std::to_string(offset));
}

void EngineFile::write(const void *from, qint64 bytes, qint64 offset) const
{
    if (const int rc = m_file->pMethods->xWrite(m_file, from, int(bytes), offset); rc != SQLITE_OK)
        throw SqlError(rc, "cannot write the store at byte " + std::to_string(offset));
}

void EngineFile::flush() const
{
    if (const int rc = m_file->pMethods->xSync(m_file, SQLITE_SYNC_NORMAL); rc != SQLITE_OK)
        throw SqlError(rc, "cannot flush the store");
}
