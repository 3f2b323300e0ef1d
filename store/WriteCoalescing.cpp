#include "WriteCoalescing.h"

#include <QtGlobal>

#include <sqlite3.h>

#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace WriteCoalescing {

namespace {

// Joined writes go to the file when they reach this much: sixteen pages a
// call. The system's layer takes no write of 128 KiB or more (it writes
// only the low 17 bits' worth of the length).
constexpr size_t kJoinedBytes = 64 * 1024;

constexpr const char *kName = "quilbo-joined-writes";

sqlite3_vfs g_vfs;
sqlite3_vfs *g_system = nullptr;

struct File
{
    sqlite3_file base; // first: the engine sees a File as its sqlite3_file
    sqlite3_file *real;
    bool joins;
    std::vector<char> *pending; // writes not yet made, from pendingAt on
    sqlite3_int64 pendingAt;
};

File *asFile(sqlite3_file *f) { return reinterpret_cast<File *>(f); }

int writePending(File *f)
{
    if (!f->pending || f->pending->empty())
        return SQLITE_OK;
    const int rc = f->real->pMethods->xWrite(f->real, f->pending->data(), int(f->pending->size()), f->pendingAt);
    // Written or failed, the engine is told now; nothing is written twice.
    f->pending->clear();
    return rc;
}

// The joined writes made, or their failure returned.
#define PENDING_FIRST(f)                                                                                               \
    do {                                                                                                               \
        if (const int rc = writePending(asFile(f)); rc != SQLITE_OK)                                                   \
            return rc;                                                                                                 \
    } while (0)

int fileClose(sqlite3_file *f)
{
    File *file = asFile(f);
    const int written = writePending(file);
    const int rc = file->real->pMethods ? file->real->pMethods->xClose(file->real) : SQLITE_OK;
    delete file->pending;
    file->pending = nullptr;
    sqlite3_free(file->real);
    file->real = nullptr;
    return written != SQLITE_OK ? written : rc;
}

int fileWrite(sqlite3_file *f, const void *from, int amount, sqlite3_int64 offset)
{
    File *file = asFile(f);
    if (!file->joins || size_t(amount) >= kJoinedBytes) {
        PENDING_FIRST(f);
        return file->real->pMethods->xWrite(file->real, from, amount, offset);
    }
    std::vector<char> &pending = *file->pending;
    const bool follows = !pending.empty() && offset == file->pendingAt + sqlite3_int64(pending.size());
    if (!follows || pending.size() + size_t(amount) > kJoinedBytes) {
        PENDING_FIRST(f);
        file->pendingAt = offset;
    }
    try {
        pending.reserve(kJoinedBytes);
    } catch (const std::bad_alloc &) {
        // No room to join: written as it comes.
        PENDING_FIRST(f);
        return file->real->pMethods->xWrite(file->real, from, amount, offset);
    }
    const char *bytes = static_cast<const char *>(from);
    pending.insert(pending.end(), bytes, bytes + amount);
    return SQLITE_OK;
}

// Every call but a write is passed on after the joined writes are made, so
// that it sees the file as the engine wrote it; those that do not touch the
// file's bytes go straight on.
template <auto Method, typename... Args>
int afterPending(sqlite3_file *f, Args... args)
{
    PENDING_FIRST(f);
    return (asFile(f)->real->pMethods->*Method)(asFile(f)->real, args...);
}

template <auto Method, typename Result, typename... Args>
Result straight(sqlite3_file *f, Args... args)
{
    return (asFile(f)->real->pMethods->*Method)(asFile(f)->real, args...);
}

// The methods of a version: the shared memory's from 2, the mapping's from 3.
sqlite3_io_methods methodsOfVersion(int version)
{
    using M = sqlite3_io_methods;
    sqlite3_io_methods m = {version,
                            fileClose,
                            afterPending<&M::xRead>,
                            fileWrite,
                            afterPending<&M::xTruncate>,
                            afterPending<&M::xSync>,
                            afterPending<&M::xFileSize>,
                            afterPending<&M::xLock>,
                            afterPending<&M::xUnlock>,
                            straight<&M::xCheckReservedLock>,
                            // The commit's second phase among them: its failure is the commit's.
                            afterPending<&M::xFileControl>,
                            straight<&M::xSectorSize>,
                            straight<&M::xDeviceCharacteristics>,
                            afterPending<&M::xShmMap>,
                            afterPending<&M::xShmLock>,
                            straight<&M::xShmBarrier>,
                            afterPending<&M::xShmUnmap>,
                            afterPending<&M::xFetch>,
                            afterPending<&M::xUnfetch>};
    if (version < 3) {
        m.xFetch = nullptr;
        m.xUnfetch = nullptr;
    }
    if (version < 2) {
        m.xShmMap = nullptr;
        m.xShmLock = nullptr;
        m.xShmBarrier = nullptr;
        m.xShmUnmap = nullptr;
    }
    return m;
}

// The real file's methods, those it has and no others.
const sqlite3_io_methods *methodsFor(const sqlite3_io_methods *real)
{
    static const sqlite3_io_methods versions[] = {methodsOfVersion(1), methodsOfVersion(2), methodsOfVersion(3)};
    return &versions[qBound(1, real->iVersion, 3) - 1];
}

int openFile(sqlite3_vfs *, const char *name, sqlite3_file *f, int flags, int *outFlags)
{
    File *file = asFile(f);
    file->base.pMethods = nullptr;
    file->real = static_cast<sqlite3_file *>(sqlite3_malloc(g_system->szOsFile));
    if (!file->real)
        return SQLITE_NOMEM;
    std::memset(file->real, 0, size_t(g_system->szOsFile));
    const int rc = g_system->xOpen(g_system, name, file->real, flags, outFlags);
    if (rc != SQLITE_OK || !file->real->pMethods) {
        // The engine calls xClose only where pMethods is set.
        if (file->real->pMethods)
            file->real->pMethods->xClose(file->real);
        sqlite3_free(file->real);
        file->real = nullptr;
        return rc != SQLITE_OK ? rc : SQLITE_CANTOPEN;
    }
    // The store and its journal: the files a picture's pages go to.
    file->joins = (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL)) != 0;
    file->pending = file->joins ? new (std::nothrow) std::vector<char>() : nullptr;
    if (file->joins && !file->pending) {
        file->real->pMethods->xClose(file->real);
        sqlite3_free(file->real);
        file->real = nullptr;
        return SQLITE_NOMEM;
    }
    file->pendingAt = 0;
    file->base.pMethods = methodsFor(file->real->pMethods);
    return SQLITE_OK;
}

// The rest is the system's.
int deleteFile(sqlite3_vfs *, const char *name, int syncDir) { return g_system->xDelete(g_system, name, syncDir); }
int vfsAccess(sqlite3_vfs *, const char *name, int flags, int *out)
{
    return g_system->xAccess(g_system, name, flags, out);
}
int fullPathname(sqlite3_vfs *, const char *name, int size, char *out)
{
    return g_system->xFullPathname(g_system, name, size, out);
}
void *dlOpen(sqlite3_vfs *, const char *name) { return g_system->xDlOpen(g_system, name); }
void dlError(sqlite3_vfs *, int size, char *out) { g_system->xDlError(g_system, size, out); }
void (*dlSym(sqlite3_vfs *, void *handle, const char *symbol))(void)
{
    return g_system->xDlSym(g_system, handle, symbol);
}
void dlClose(sqlite3_vfs *, void *handle) { g_system->xDlClose(g_system, handle); }
int randomness(sqlite3_vfs *, int size, char *out) { return g_system->xRandomness(g_system, size, out); }
int vfsSleep(sqlite3_vfs *, int micros) { return g_system->xSleep(g_system, micros); }
int currentTime(sqlite3_vfs *, double *out) { return g_system->xCurrentTime(g_system, out); }
int lastError(sqlite3_vfs *, int size, char *out) { return g_system->xGetLastError(g_system, size, out); }
int currentTimeInt64(sqlite3_vfs *, sqlite3_int64 *out) { return g_system->xCurrentTimeInt64(g_system, out); }

} // namespace

const char *vfsName()
{
    static std::once_flag once;
    std::call_once(once, [] {
        sqlite3_initialize();
        g_system = sqlite3_vfs_find(nullptr);
        g_vfs = sqlite3_vfs();
        g_vfs.iVersion = 2;
        g_vfs.szOsFile = int(sizeof(File));
        g_vfs.mxPathname = g_system->mxPathname;
        g_vfs.zName = kName;
        g_vfs.xOpen = openFile;
        g_vfs.xDelete = deleteFile;
        g_vfs.xAccess = vfsAccess;
        g_vfs.xFullPathname = fullPathname;
        g_vfs.xDlOpen = dlOpen;
        g_vfs.xDlError = dlError;
        g_vfs.xDlSym = dlSym;
        g_vfs.xDlClose = dlClose;
        g_vfs.xRandomness = randomness;
        g_vfs.xSleep = vfsSleep;
        g_vfs.xCurrentTime = currentTime;
        g_vfs.xGetLastError = lastError;
        g_vfs.xCurrentTimeInt64 = g_system->iVersion >= 2 ? currentTimeInt64 : nullptr;
        sqlite3_vfs_register(&g_vfs, 0);
    });
    return kName;
}

} // namespace WriteCoalescing
