#pragma once
// What the program does from a terminal, without the window:
// --export-album writes an album's pictures out as the files they were
// imported from (a protected album's password asked on the terminal without
// echo): the way out for a user's photos that needs nothing but the
// program. --import brings files and whole folders into an album.
// --import-legacy brings the albums of an earlier version's album
// store in, and prints what it did.

#include <QString>
#include <QStringList>

// Exports the album of the store into the folder (made when missing).
// Returns the process's exit code: 0 when every picture was written.
int exportAlbumFromTerminal(const QString &storePath, const QString &album, const QString &folder);

// Imports the files and folders (with their subfolders) into the album,
// made when the store has none of that name (a protected album's password
// asked on the terminal without echo, or read from a pipe), and prints what
// it did. Returns the exit code: 0 when everything that could be imported
// was.
int importPicturesFromTerminal(const QString &storePath, const QString &album, const QStringList &paths);

// Imports the old store's albums into the store. Returns the exit code: 0
// when they were imported.
int importLegacyFromTerminal(const QString &storePath, const QString &legacyFile);
