#pragma once
// Every page of a store file checked against what the store's key wrote:
// each page carries a message authentication code (SQLCipher 3's layout:
// HMAC-SHA1 over the page's encrypted bytes, its IV and its number, keyed
// from the file's salt and the database password). A page changed by
// anything but the engine (a failing disk, a stray write, a file cut or
// zeroed) no longer checks. The check reads the file itself, so it covers
// what no query reaches (the map of the pages, free pages) and needs no
// decryption; the engine itself even takes a page of zeros for a page
// never written.

#include <QString>

#include <atomic>

class SqlConnection;

namespace StorePages {

// Empty when every page of the store file lock (a connection) is on
// checks; else what is wrong, in English, for a detail ("page 500 of 1000
// does not check"). The file is read through the connection's own handle
// (another descriptor, once closed, would let go of its locks), a few
// megabytes at a time, each under a read transaction of lock, so that no
// write is half done under a read and the engine's writers wait only a
// moment; inside a transaction lock already has, that one holds. A store
// whose first page cannot be read is damaged too. Stops early, with nothing
// found, once stop is set.
// Throws SqlError when the store cannot be read for another reason (busy
// for long).
QString findDamage(SqlConnection &lock, const std::atomic_bool *stop = nullptr);

// Whether the file is an album store, whatever became of its first page:
// some of the pages after the first carry the store's codes (keyed from the
// salt at the start of the file). A foreign file, or one whose salt is lost,
// is not.
bool isStoreFile(const QString &path);

} // namespace StorePages
