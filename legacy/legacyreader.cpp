// quilbo-legacy-reader FILE: reads an album store of the program's earlier
// Windows version (a Jet 4 database) with mdbtools and writes its albums
// and pictures to standard output (see LegacyStream.h). It runs as a child
// of the program: a damaged file that makes the library hang or crash takes
// this process down, never the program. The file is opened read-only.

#include "LegacyStream.h"

#include <mdbtools.h>

#include <QByteArray>
#include <QList>

#include <seccomp.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

LegacyStream::Writer out(stdout);

// The message is in the program's own words, translated by the program
// that reads it.
[[noreturn]] void fail(const char *message)
{
    out.record(LegacyStream::Failure);
    out.text(QByteArray(message));
    out.flush();
    std::exit(1);
}

// Big enough for what mdbtools copies into a bound column at once: a text
// value, or one page of a long binary value.
constexpr size_t kBindSize = 4 * MDB_BIND_SIZE;

// A table with each wanted column bound to a buffer of its own.
struct BoundTable
{
    MdbTableDef *table = nullptr;
    QList<MdbColumn *> columns;
    QList<QByteArray> buffers;
    QList<int> lengths;

    BoundTable(MdbHandle *mdb, const char *name, std::initializer_list<const char *> wanted)
    {
        QByteArray tableName(name);
        table = mdb_read_table_by_name(mdb, tableName.data(), MDB_TABLE);
        if (!table)
            fail(QT_TRANSLATE_NOOP("LegacyReader", "旧版相册库中缺少数据表"));
        mdb_read_columns(table);
        buffers.reserve(int(wanted.size()));
        lengths.resize(int(wanted.size()));
        for (const char *column : wanted) {
            MdbColumn *found = nullptr;
            for (unsigned i = 0; i < table->num_cols; ++i) {
                auto *c = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
                if (g_ascii_strcasecmp(c->name, column) == 0) {
                    found = c;
                    buffers.append(QByteArray(int(kBindSize), '\0'));
                    mdb_bind_column(table, int(i) + 1, buffers.last().data(), &lengths[int(columns.size())]);
                    break;
                }
            }
            if (!found)
                fail(QT_TRANSLATE_NOOP("LegacyReader", "旧版相册库的数据表缺少字段"));
            columns.append(found);
        }
        mdb_rewind_table(table);
    }
    ~BoundTable() { mdb_free_tabledef(table); }

    // Every row the table declares must have been read: a page that is
    // missing from the file ends the table early without a word.
    void checkAllRead(unsigned rows) const
    {
        if (rows != table->num_rows)
            fail(QT_TRANSLATE_NOOP("LegacyReader", "旧版相册库不完整 (缺少数据行),文件可能已损坏"));
    }

    QByteArray text(int i) const { return QByteArray(buffers.at(i).constData(), int(qstrnlen(buffers.at(i).constData(), kBindSize))); }
    qint32 integer(int i) const { return qint32(std::strtol(buffers.at(i).constData(), nullptr, 10)); }
};

// A long binary value read a page at a time and sent as it is read, never
// held whole. It may not claim more than the whole file holds, and it ends
// where the length it declares ends: a chain of pages that runs on (a page
// pointing back into the chain) is refused at its first byte too many.
void sendPicture(MdbHandle *mdb, BoundTable &pictures, int column, qint32 id, qint64 fileSize)
{
    MdbColumn *col = pictures.columns.at(column);
    out.record(LegacyStream::DataBegin);
    out.integer(id);
    const bool hasData = col->cur_value_len != 0;
    out.integer(hasData ? 1 : 0);
    if (!hasData) {
        out.integer(0);
        out.record(LegacyStream::DataEnd);
        return;
    }
    char header[MDB_MEMO_OVERHEAD];
    std::memcpy(header, pictures.buffers.at(column).constData(), sizeof header);
    // The length the value declares; a chain of pages that ends early (a
    // page missing or unreadable) gives less, and the library would not say
    // so.
    const qint64 declared = qint64(quint32(mdb_get_int32(header, 0)) & 0x3fffffffu);
    if (declared > fileSize || declared > LegacyStream::MaxPicture)
        fail(QT_TRANSLATE_NOOP("LegacyReader", "旧版相册库中的图片数据已损坏 (长度不对)"));
    out.integer(qint32(declared));
    const char *page = pictures.buffers.at(column).constData();
    qint64 total = 0;
    size_t length = mdb_ole_read(mdb, col, header, kBindSize);
    while (length > 0) {
        if (length > kBindSize)
            fail(QT_TRANSLATE_NOOP("LegacyReader", "旧版相册库中的图片数据已损坏"));
        total += qint64(length);
        if (total > declared)
            fail(QT_TRANSLATE_NOOP("LegacyReader", "旧版相册库中的图片数据已损坏 (过长)"));
        out.chunk(page, quint32(length));
        length = mdb_ole_read_next(mdb, col, header);
    }
    if (total != declared)
        fail(QT_TRANSLATE_NOOP("LegacyReader", "旧版相册库中的图片数据不完整,文件可能已损坏"));
    out.record(LegacyStream::DataEnd);
}

// From here on the reader can only read the file it has open and write to
// the program: no new files, no network, no other program, no more than
// 1 GiB of memory and two minutes of the processor. A call outside the
// few it needs kills it, and the program reports a reader that crashed.
void confine()
{
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        fail(QT_TRANSLATE_NOOP("LegacyReader", "无法限制读取旧版相册库的程序"));
    const struct
    {
        int resource;
        rlim_t limit;
    } limits[] = {
        {RLIMIT_AS, rlim_t(1) << 30}, {RLIMIT_CPU, 120}, {RLIMIT_FSIZE, 0}, {RLIMIT_NPROC, 0}, {RLIMIT_CORE, 0},
    };
    for (const auto &l : limits) {
        const rlimit value = {l.limit, l.limit};
        if (::setrlimit(l.resource, &value) != 0)
            fail(QT_TRANSLATE_NOOP("LegacyReader", "无法限制读取旧版相册库的程序"));
    }
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_KILL_PROCESS);
    if (!filter)
        fail(QT_TRANSLATE_NOOP("LegacyReader", "无法限制读取旧版相册库的程序"));
    // Measured on the old stores: reading and seeking the open file,
    // memory for the library, writing to the pipe, ending.
    const int allowed[] = {
        SCMP_SYS(read),   SCMP_SYS(pread64), SCMP_SYS(lseek),    SCMP_SYS(fstat),   SCMP_SYS(newfstatat),
        SCMP_SYS(write),  SCMP_SYS(writev),  SCMP_SYS(brk),      SCMP_SYS(mmap),    SCMP_SYS(munmap),
        SCMP_SYS(mremap), SCMP_SYS(madvise), SCMP_SYS(mprotect), SCMP_SYS(futex),   SCMP_SYS(close),
        SCMP_SYS(exit),   SCMP_SYS(exit_group), SCMP_SYS(rt_sigreturn),
    };
    bool ok = true;
    for (const int call : allowed)
        ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) == 0;
    ok = ok && seccomp_load(filter) == 0;
    seccomp_release(filter);
    if (!ok)
        fail(QT_TRANSLATE_NOOP("LegacyReader", "无法限制读取旧版相册库的程序"));
}

} // namespace

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_DFL);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quilbo-legacy-reader FILE\n");
        return 2;
    }
    out.magic();
    out.flush();

    struct stat file = {};
    if (stat(argv[1], &file) != 0 || file.st_size == 0)
        fail(QT_TRANSLATE_NOOP("LegacyReader", "这不是旧版相册库文件 (文件是空的)"));
    MdbHandle *mdb = mdb_open(argv[1], MDB_NOFLAGS);
    if (!mdb)
        fail(QT_TRANSLATE_NOOP("LegacyReader", "这不是旧版相册库文件,或文件已损坏"));
    // The file is open and the character-set tables are loaded: nothing
    // more is needed from the system than reading on.
    confine();
#ifdef QUILBO_READER_FORBIDDEN_CALL
    // A test build: a reader that breaks its rules.
    ::socket(AF_INET, SOCK_STREAM, 0);
#endif
    // A whole file is made of whole pages.
    if (mdb->fmt->pg_size <= 0 || file.st_size % mdb->fmt->pg_size != 0)
        fail(QT_TRANSLATE_NOOP("LegacyReader", "旧版相册库不完整 (文件被截断),文件可能已损坏"));
    {
        BoundTable albums(mdb, "PicLibTable", {"PicLibID", "PicLibName", "PicPass"});
        unsigned rows = 0;
        while (mdb_fetch_row(albums.table)) {
            ++rows;
            out.record(LegacyStream::Album);
            out.integer(albums.integer(0));
            out.text(albums.text(1));
            out.text(albums.text(2));
        }
        albums.checkAllRead(rows);
    }
    {
        BoundTable infos(mdb, "PicInfoTable", {"PicInfoID", "PicLibID", "PicName", "PicExt"});
        unsigned rows = 0;
        while (mdb_fetch_row(infos.table)) {
            ++rows;
            out.record(LegacyStream::Picture);
            out.integer(infos.integer(0));
            out.integer(infos.integer(1));
            out.text(infos.text(2));
            out.text(infos.text(3));
        }
        infos.checkAllRead(rows);
    }
    {
        BoundTable pictures(mdb, "PicTable", {"PicInfoID", "Pic"});
        if (pictures.columns.at(1)->col_type != MDB_OLE)
            fail(QT_TRANSLATE_NOOP("LegacyReader", "旧版相册库的图片字段类型不对"));
        unsigned rows = 0;
        while (mdb_fetch_row(pictures.table)) {
            ++rows;
            sendPicture(mdb, pictures, 1, pictures.integer(0), qint64(file.st_size));
            out.flush();
            if (!out.good())
                return 1;
        }
        pictures.checkAllRead(rows);
    }
    out.record(LegacyStream::End);
    out.flush();
    mdb_close(mdb);
    return out.good() ? 0 : 1;
}
