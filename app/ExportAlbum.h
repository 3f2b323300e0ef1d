#pragma once
// quilbo --export-album: an album's pictures written out as the files they
// were imported from, from a terminal, without the window. A protected
// album's password is asked on the terminal without echo. The way out for a
// user's photos that needs nothing but the program.

#include <QString>

// Exports the album of the store into the folder (made when missing).
// Returns the process's exit code: 0 when every picture was written.
int exportAlbumFromTerminal(const QString &storePath, const QString &album, const QString &folder);
