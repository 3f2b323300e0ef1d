#pragma once
// Writing files so that a failure never leaves a partial file under the
// real name: the data go to a working file in the same folder, are flushed
// to disk, and the working file is renamed into place. A symbolic link
// under the name is replaced itself; nothing is written where it points.

#include <QByteArray>
#include <QString>

// True when the whole file was written; on false, *error (when given) holds
// the system's message and nothing is left behind.
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error = nullptr);

// Flushes a file, or a folder's entries, to disk; false when that fails.
bool flushToDisk(const QString &path, bool folder = false);

// Gives a whole, flushed working file the name target, in the same folder,
// only where nothing has that name yet; never replaces a file. The working
// name may remain (the caller removes it). On file systems without hard
// links (FAT, exFAT, some network shares) it falls back to a rename that
// refuses an existing target, and where that is refused too, to claiming
// the name with an empty file of its own that the working file is then
// renamed over. False when a file has the name, or the name could not be
// given (errno says why); nothing of its own is left under the name then.
bool giveNameWithoutReplacing(const QString &working, const QString &target);
