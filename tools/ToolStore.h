#pragma once
// Opening the album store for one of the command-line tools, with the reason
// on stderr when it cannot be opened.

#include "AlbumStore.h"

#include <cstdio>

inline bool openToolStore(AlbumStore &store, const char *tool, const QString &path)
{
    if (store.openStore(path))
        return true;
    const char *why = "cannot be opened";
    switch (store.openFailure()) {
    case AlbumStore::OpenFailure::Missing:
        why = "is not there";
        break;
    case AlbumStore::OpenFailure::Unreadable:
        why = "cannot be read";
        break;
    case AlbumStore::OpenFailure::NotAStore:
        why = "is not an album store";
        break;
    case AlbumStore::OpenFailure::InUse:
        why = "is in use by another program; close it first";
        break;
    case AlbumStore::OpenFailure::Damaged:
        why = "is damaged; restore a backup";
        break;
    case AlbumStore::OpenFailure::None:
        break;
    }
    std::fprintf(stderr, "%s: the album store %s %s\n", tool, qPrintable(path), why);
    return false;
}

// Before a tool's first write: every page of a store not known to be whole
// is checked, and a damaged store is refused with the reason on stderr.
inline bool checkToolStore(AlbumStore &store, const char *tool)
{
    try {
        store.checkBeforeWriting();
        return true;
    } catch (const SqlError &e) {
        std::fprintf(stderr, "%s: %s: %s\n", tool, qPrintable(store.path()), e.what());
        if (store.isDamaged())
            std::fprintf(stderr, "%s: restore the album store from a backup\n", tool);
        return false;
    }
}

// Opens a protected album's key with the password given; true for an album
// without one. Says on stderr why not (a wrong password, an album whose
// protection was altered).
inline bool openToolAlbum(AlbumStore &store, const char *tool, const QString &album, const QString &password)
{
    try {
        if (!store.albumHasPassword(album) || store.checkAlbumPassword(album, password))
            return true;
        std::fprintf(stderr, "%s: the album %s is protected: give its password\n", tool, qPrintable(album));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s: %s\n", tool, e.what());
    }
    return false;
}
