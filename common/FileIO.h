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
