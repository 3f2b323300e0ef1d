#include "FileWriting.h"
#include <QCoreApplication>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

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

// The errors of a file system that does not offer the call at all, as
// against one that refused it for this file (a name taken, no room).
bool notOffered(int err) { return err == EPERM || err == EOPNOTSUPP || err == ENOSYS || err == EINVAL; }

// A new working file beside the name in the folder, ".<name>.save-<random>",
// made afresh (O_EXCL, never through a link) so that the mode asked for
// meets the umask as for any new file. Its descriptor, or -1 (errno set).
int createWorking(int folder, const QByteArray &name, mode_t mode, QByteArray *working)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *working = "." + name + ".save-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::openat(folder, working->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Writes all of data to the file, sets its permission bits when asked,
// flushes and closes it: 0, or the error.
int finishFile(int fd, const QByteArray &data, bool setMode, mode_t mode)
{
    int err = 0;
    if (!writeAll(fd, data) || (setMode && ::fchmod(fd, mode) != 0) || ::fsync(fd) != 0)
        err = errno ? errno : EIO;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    return err;
}

bool giveNameAt(int folder, const char *from, const char *to)
{
    if (::linkat(folder, from, folder, to, 0) == 0)
        return true;
    if (!notOffered(errno))
        return false;
    if (::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0)
        return true;
    if (!notOffered(errno))
        return false;
    // The name is claimed with an empty file only this call made, and the
    // whole working file takes its place in one rename: at no moment does
    // the name show part of a copy, and no file that was there is replaced.
    const int claim = ::openat(folder, to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (claim < 0)
        return false;
    ::close(claim);
    if (::renameat(folder, from, folder, to) == 0)
        return true;
    const int err = errno;
    ::unlinkat(folder, to, 0);
    errno = err;
    return false;
}

} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error, mode_t mode)
{
    const auto fail = [&](int err) {
        if (error)
            *error = systemError(err);
        return false;
    };
    const QFileInfo target(path);
    // The working file lies beside the name itself, never beside what a
    // link there points to: the rename then replaces the link, not its
    // target.
    const int folder = ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return fail(errno);
    const auto closeFolder = qScopeGuard([folder] { ::close(folder); });
    const QByteArray name = QFile::encodeName(target.fileName());
    struct stat existing = {};
    const bool replacesFile =
        ::fstatat(folder, name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(existing.st_mode);

    QByteArray working;
    const int fd = createWorking(folder, name, mode, &working);
    if (fd < 0)
        return fail(errno);
    // A file written again keeps its permission bits, within a mode that
    // restricts them.
    const mode_t keep = existing.st_mode & 07777 & (mode == 0666 ? 07777 : mode);
    if (const int err = finishFile(fd, data, replacesFile, keep)) {
        ::unlinkat(folder, working.constData(), 0);
        return fail(err);
    }
    if (::renameat(folder, working.constData(), folder, name.constData()) != 0) {
        const int err = errno;
        ::unlinkat(folder, working.constData(), 0);
        return fail(err);
    }
    ::fsync(folder);
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

bool giveNameWithoutReplacing(const QString &working, const QString &target)
{
    return giveNameAt(AT_FDCWD, QFile::encodeName(working).constData(), QFile::encodeName(target).constData());
}

SafeFolder::SafeFolder(const QString &path, bool create, mode_t mode)
{
    const QByteArray encoded = QFile::encodeName(path);
    int fd = ::open(encoded.startsWith('/') ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QString walked = encoded.startsWith('/') ? QStringLiteral("/") : QString();
    for (const QByteArray &part : encoded.split('/')) {
        if (fd < 0)
            break;
        if (part.isEmpty() || part == ".")
            continue;
        walked += QFile::decodeName(part);
        int next = ::openat(fd, part.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && create && ::mkdirat(fd, part.constData(), mode) == 0)
            next = ::openat(fd, part.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const int err = errno;
            struct stat entry = {};
            if (::fstatat(fd, part.constData(), &entry, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(entry.st_mode))
                m_error = QCoreApplication::translate("FileWriting", "%1 是一个链接,不会写到它指向的地方").arg(walked);
            else
                m_error = QCoreApplication::translate("FileWriting", "无法打开或建立目录 %1: %2")
                              .arg(walked, systemError(err));
        }
        ::close(fd);
        fd = next;
        walked += QLatin1Char('/');
    }
    if (fd < 0 && m_error.isEmpty())
        m_error = QCoreApplication::translate("FileWriting", "无法打开目录 %1").arg(path);
    m_fd = fd;
}

SafeFolder::~SafeFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SafeFolder::writeNewFile(const QString &name, const QByteArray &data, mode_t mode, bool *existed, QString *error) const
{
    *existed = false;
    const QByteArray encoded = QFile::encodeName(name);
    QByteArray working;
    const int fd = createWorking(m_fd, encoded, mode, &working);
    int err = fd < 0 ? errno : finishFile(fd, data, false, 0);
    if (err == 0 && !giveNameAt(m_fd, working.constData(), encoded.constData()))
        err = errno;
    if (fd >= 0)
        ::unlinkat(m_fd, working.constData(), 0);
    if (err == 0) {
        ::fsync(m_fd);
        return true;
    }
    *existed = err == EEXIST;
    if (error)
        *error = systemError(err);
    return false;
}
