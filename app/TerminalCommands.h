#pragma once
// What the program does from a terminal, without the window:
// --export-album writes an album's pictures out as the files they were
// imported from (a protected album's password asked on the terminal without
// echo): the way out for a user's photos that needs nothing but the
// program. --import-legacy brings the albums of an earlier version's album
// store in, and prints what it did.

#include <QString>

// Exports the album of the store into the folder (made when missing).
// Returns the process's exit code: 0 when every picture was written.
int exportAlbumFromTerminal(const QString &storePath, const QString &album, const QString &folder);

// Imports the old store's albums into the store. Returns the exit code: 0
// when they were imported.
int importLegacyFromTerminal(const QString &storePath, const QString &legacyFile);
