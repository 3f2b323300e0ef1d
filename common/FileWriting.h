#pragma once
// Writing files so that a failure never leaves a partial file under the
// real name: the data go to a working file in the same folder, are flushed
// to disk, and the working file is given the real name in one step. A
// symbolic link under the name is replaced itself; nothing is written where
// it points.

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// True when the whole file was written; on false, *error (when given) holds
// the system's message and nothing is left behind. A new file is made with
// mode (less the umask); a file written again keeps its permission bits,
// but never more than mode allows (0600: readable by its owner alone).
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error = nullptr, mode_t mode = 0666);

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

// A folder opened without following a link anywhere on its path: every
// folder from the root (or from the current folder, for a relative path) is
// opened with O_NOFOLLOW, and with create set, those missing are made with
// mode (less the umask). The descriptor is closed with the object. Not
// valid (fd() -1) when it could not be opened; error() says why, naming a
// link found on the way.
class SafeFolder
{
public:
    SafeFolder(const QString &path, bool create, mode_t mode = 0777);
    ~SafeFolder();
    SafeFolder(const SafeFolder &) = delete;
    SafeFolder &operator=(const SafeFolder &) = delete;
    int fd() const { return m_fd; }
    const QString &error() const { return m_error; }

    // Writes a new file of that name in the folder (a name, not a path),
    // whole and flushed, made with mode (less the umask); never replaces a
    // file or follows a link there. False with *existed set when the name
    // is taken, else with *error set when it could not be written; nothing
    // is left behind either way.
    bool writeNewFile(const QString &name, const QByteArray &data, mode_t mode, bool *existed, QString *error) const;

private:
    int m_fd = -1;
    QString m_error;
};
