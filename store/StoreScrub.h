#pragma once
// Clearing what the engine leaves of deleted or moved data inside a store
// file. A picture encrypted in place may survive in the clear in the unused
// bytes of the table pages its row lived on (a page split copies rows to a
// new page and leaves the old bytes behind) and in free pages. Those are
// the pages of the tables and indexes and the free pages, a small part of
// the file; the pictures' own chains are not touched.
//
// The pages are written by this code, not by the engine, with the engine's
// own guarantee: under the engine's exclusive lock, the pages' old contents
// first go to a rollback journal in the engine's own format, flushed, then
// the pages are written and flushed, then the journal is deleted. A kill or
// a power cut in between leaves a hot journal that the engine plays back at
// the next opening, so the file is always whole, with or without the
// clearing. Page 1 is written again too, so that every connection's cache
// (which may still hold the old bytes) is dropped at its next read.

#include <QString>

#include <functional>

class SqlConnection;

namespace StoreScrub {

struct Outcome
{
    qint64 pagesRead = 0;
    qint64 pagesCleared = 0; // page 1 included when anything was cleared
};

// Clears the unused bytes of every page of the store db is a connection to
// (outside any transaction). Throws SqlError when the file cannot be read
// or written, or a page is not laid out as the engine lays out its pages
// (nothing is written then).
Outcome clearUnusedSpace(SqlConnection &db);

// For tests: called after each page written, with the count so far. A test
// ends the process there to leave what a kill would.
void setPageWrittenHook(std::function<void(qint64)> hook);

} // namespace StoreScrub
