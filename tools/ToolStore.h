#pragma once
// Opening the album store for one of the command-line tools, with the reason
// on stderr when it cannot be opened.

#include "AlbumStore.h"
#include "ConnectionString.h"

#include <cstdio>

inline bool openToolStore(AlbumStore &store, const char *tool, const QString &path)
{
    if (store.openStore(ConnectionString::forStore(path)))
        return true;
    if (store.openFailure() == AlbumStore::OpenFailure::InUse)
        std::fprintf(stderr, "%s: the album store %s is in use by another program; close it first\n", tool,
                     qPrintable(path));
    else
        std::fprintf(stderr, "%s: cannot open the store %s\n", tool, qPrintable(path));
    return false;
}
