#include "FileIO.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

QString systemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error)
{
    auto fail = [&](int err, const QString &working) {
        if (!working.isEmpty())
            ::unlink(QFile::encodeName(working).constData());
        if (error)
            *error = systemError(err);
        return false;
    };

    const QFileInfo target(path);
    // The working file lies beside the name itself, never beside what a
    // link there points to: the rename then replaces the link, not its
    // target.
    const QString prefix = target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".save-");
    struct stat existing = {};
    const bool replacesFile = ::lstat(QFile::encodeName(path).constData(), &existing) == 0 && S_ISREG(existing.st_mode);

    QString working;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        working = prefix + QString::number(QRandomGenerator::global()->generate(), 36);
        // Created afresh (O_EXCL), so the mode asked for meets the umask as
        // for any new file.
        fd = ::open(QFile::encodeName(working).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return fail(errno, QString());
    }
    if (fd < 0)
        return fail(EEXIST, QString());

    bool ok = writeAll(fd, data);
    int err = errno;
    // A file written again keeps its permission bits.
    if (ok && replacesFile && ::fchmod(fd, existing.st_mode & 07777) != 0) {
        ok = false;
        err = errno;
    }
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        err = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok)
        return fail(err, working);
    if (::rename(QFile::encodeName(working).constData(), QFile::encodeName(path).constData()) != 0)
        return fail(errno, working);
    flushToDisk(target.absolutePath(), true);
    return true;
}

bool flushToDisk(const QString &path, bool folder)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

namespace {

// The errors of a file system that does not offer the call at all, as
// against one that refused it for this file (a name taken, no room).
bool notOffered(int err) { return err == EPERM || err == EOPNOTSUPP || err == ENOSYS || err == EINVAL; }

} // namespace

bool giveNameWithoutReplacing(const QString &working, const QString &target)
{
    const QByteArray from = QFile::encodeName(working);
    const QByteArray to = QFile::encodeName(target);
    if (::link(from.constData(), to.constData()) == 0)
        return true;
    if (!notOffered(errno))
        return false;
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (!notOffered(errno))
        return false;
    // The name is claimed with an empty file only this call made, and the
    // whole working file takes its place in one rename: at no moment does
    // the name show part of a copy, and no file that was there is replaced.
    const int claim = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (claim < 0)
        return false;
    ::close(claim);
    if (::rename(from.constData(), to.constData()) == 0)
        return true;
    const int err = errno;
    ::unlink(to.constData());
    errno = err;
    return false;
}
