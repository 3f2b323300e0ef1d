#include "AlbumStore.h"
#include <QCoreApplication>

#include "FileWriting.h"
#include "StorePages.h"
#include "StoreSchema.h"
#include "TextRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <sys/stat.h>

AlbumStore::AlbumStore() = default;

AlbumStore::~AlbumStore() { closeStore(); }

// ---------------------------------------------------------------- connection

bool AlbumStore::openStore(const QString &path)
{
    closeStore();
    m_openFailure = OpenFailure::NotAStore;
    m_openError.clear();
    m_path = path;
    const QFileInfo file(path);
    if (path.isEmpty() || (!file.exists() && !file.isSymLink())) {
        m_openFailure = OpenFailure::Missing;
        return false;
    }
    // A folder or a special file is never a store; SQLite would report it
    // only at the first read.
    if (!file.isFile())
        return false;
    {
        QFile readable(path);
        if (!readable.open(QIODevice::ReadOnly)) {
            m_openFailure = OpenFailure::Unreadable;
            m_openError = readable.errorString();
            return false;
        }
    }
    // Everything is done at the store's real place: its lock, and a
    // compaction's rename, which would otherwise replace a link to it.
    m_path = file.canonicalFilePath();

    // One owner per store: another program or tool writing meanwhile, or
    // compacting the file under this one, would lose pictures. The lock of
    // a process that died is taken over; one that cannot be made at all (a
    // read-only folder, where nothing can be written anyway) does not stop
    // the pictures from being shown.
    // The lock lies beside the store's real place, however it is reached.
    const QString lockPath = lockFilePath(m_path);
    // A lock file is never a link: one there (even pointing nowhere) is no
    // owner's, and would be followed.
    if (QFileInfo(lockPath).isSymLink())
        QFile::remove(lockPath);
    m_lock = std::make_unique<QLockFile>(lockPath);
    m_lock->setStaleLockTime(0);
    // A live owner holds a kernel lock on its lock file as long as it runs;
    // a lock file nobody holds is left from a process that died, even one
    // killed before it could write its name into it.
    bool locked = m_lock->tryLock(0);
    if (!locked && m_lock->error() == QLockFile::LockFailedError && m_lock->removeStaleLockFile())
        locked = m_lock->tryLock(0);
    if (!locked) {
        if (m_lock->error() == QLockFile::LockFailedError) {
            m_lock.reset();
            m_openFailure = OpenFailure::InUse;
            return false;
        }
        m_lock.reset();
    }
    if (!openConnection()) {
        m_lock.reset();
        return false;
    }
    m_openFailure = OpenFailure::None;
    {
        QFile note(wholeNotePath(m_path));
        const QByteArray identity = fileIdentity(m_path);
        m_foundWhole = !identity.isEmpty() && note.open(QIODevice::ReadOnly) && note.read(256) == identity;
    }
    // Album passwords an older version kept as text are replaced by real
    // protection. Should that fail (a full disk), nothing has changed: the
    // store works as an older one and is converted at its next opening.
    // Without it (a store in a folder that cannot be written), names are
    // looked up all the same, only slower.
    try {
        indexPictureNames();
    } catch (const std::exception &e) {
        qWarning("The pictures' names could not be indexed: %s", e.what());
    }
    try {
        forgetHashesOfOlderStores();
    } catch (const std::exception &e) {
        qWarning("The pictures' hashes could not be brought up to date: %s", e.what());
    }
    try {
        protectPlainPasswords();
        // One cut off before it was done.
        scrubIfPending();
    } catch (const std::exception &e) {
        qWarning("The album passwords could not be converted: %s", e.what());
    }
    return true;
}

void AlbumStore::indexPictureNames()
{
    if (m_damaged)
        return;
    // Any index that begins with the album and the name serves, the
    // UNIQUE (PicLibID, PicName) of every store made here among them.
    QStringList indexes;
    {
        SqlStatement list(connection(), QStringLiteral("PRAGMA index_list(PicInfoTable)"));
        while (list.next())
            if (list.int64(4) == 0) // not partial
                indexes.append(list.text(1));
    }
    for (const QString &index : indexes) {
        SqlStatement info(connection(), QStringLiteral("PRAGMA index_info(\"%1\")")
                                                  .arg(QString(index).replace(QLatin1Char('"'), QStringLiteral("\"\""))));
        QStringList columns;
        while (info.next())
            columns.append(info.text(2).toLower());
        if (columns.mid(0, 2) == QStringList{QStringLiteral("piclibid"), QStringLiteral("picname")})
            return;
    }
    // A store made elsewhere: the index compares names by the column's own
    // rule, as every lookup of a name there always did.
    checkBeforeWriting();
    SqlTransaction t(connection());
    connection().execFixed("CREATE INDEX IF NOT EXISTS PicInfoLibNameIdx ON PicInfoTable (PicLibID, PicName)");
    t.commit();
}

bool AlbumStore::openConnection()
{
    m_thumbnailTable = -1;
    m_hashTable = -1;
    try {
        m_connection.open(m_path);
        // With plain SQLite linked in by mistake the key would be ignored and
        // the file written unencrypted: insist on the cipher being there.
        {
            SqlStatement version(m_connection, QStringLiteral("PRAGMA cipher_version"));
            if (!version.next() || version.text(0).isEmpty())
                throw SqlError(1, "SQLCipher is not available");
        }
        StoreSchema::keyConnection(m_connection);
        // The first read: a wrong key or a foreign file fails here (code 26),
        // before anything could be written. Then the three tables with their
        // columns must all be there.
        m_connection.execFixed("SELECT count(*) FROM sqlite_master");
        SqlStatement(m_connection, QStringLiteral("SELECT PicLibID, PicLibName, PicPass FROM PicLibTable LIMIT 0"));
        SqlStatement(m_connection,
                     QStringLiteral("SELECT PicInfoID, PicLibID, PicName, PicExt FROM PicInfoTable LIMIT 0"));
        SqlStatement(m_connection, QStringLiteral("SELECT PicInfoID, Pic FROM PicTable LIMIT 0"));
        m_connection.execFixed("PRAGMA foreign_keys = ON");
        // The file is encrypted: overwriting freed pages buys nothing and
        // makes deleting pictures four times slower.
        m_connection.execFixed("PRAGMA secure_delete = OFF");
    } catch (const SqlError &e) {
        // A store whose own pages contradict each other (one cut short) says
        // "malformed". A foreign file says "not a database", and so does a
        // store whose first page is damaged: the pages after it still carry
        // the store's codes.
        constexpr int corrupt = 11;
        constexpr int notADatabase = 26;
        m_connection.close();
        if (e.code() == corrupt || (e.code() == notADatabase && StorePages::isStoreFile(m_path)))
            m_openFailure = OpenFailure::Damaged;
        return false;
    }
    m_connection.setFailureObserver([this](int code) {
        if (SqlError::meansDamage(code))
            markDamaged();
    });
    return true;
}

void AlbumStore::markDamaged()
{
    if (m_damaged)
        return;
    m_damaged = true;
    // Nothing is written to a damaged store: a write could spread the damage
    // to pictures that are still whole.
    if (m_connection.isOpen()) {
        try {
            m_connection.execFixed("PRAGMA query_only = ON");
        } catch (const SqlError &) {
        }
    }
    if (m_damageHandler)
        m_damageHandler();
}

void AlbumStore::checkBeforeWriting()
{
    if (!m_foundWhole && !m_damaged && m_checkWaiter)
        m_checkWaiter();
    if (!m_foundWhole && !m_damaged) {
        QString damage;
        try {
            damage = StorePages::findDamage(connection());
        } catch (const SqlError &e) {
            if (!SqlError::meansDamage(e.code()))
                throw;
            damage = QString::fromUtf8(e.what());
        }
        if (damage.isEmpty()) {
            noteFoundWhole();
        } else {
            markDamaged();
            throw SqlError(11, "the album store is damaged (" + damage.toStdString() + "); nothing is written to it");
        }
    }
    if (m_damaged)
        throw SqlError(11, "the album store is damaged; nothing is written to it");
}

void AlbumStore::noteFoundWhole()
{
    if (m_damaged || !isOpen())
        return;
    m_foundWhole = true;
    writeWholeNote();
}

QString AlbumStore::wholeNotePath(const QString &storePath)
{
    const QFileInfo store(storePath);
    return store.absolutePath() + QStringLiteral("/.") + store.fileName() + QStringLiteral(".checked");
}

QByteArray AlbumStore::fileIdentity(const QString &path)
{
    struct stat file = {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &file) != 0)
        return QByteArray();
    return QByteArray::number(quint64(file.st_dev)) + ' ' + QByteArray::number(quint64(file.st_ino)) + ' '
           + QByteArray::number(qint64(file.st_size)) + ' ' + QByteArray::number(qint64(file.st_mtim.tv_sec)) + '.'
           + QByteArray::number(qint64(file.st_mtim.tv_nsec)) + ' ' + QByteArray::number(qint64(file.st_ctim.tv_sec))
           + '.' + QByteArray::number(qint64(file.st_ctim.tv_nsec)) + '\n';
}

void AlbumStore::writeWholeNote()
{
    // Where it cannot be written (a read-only folder) the next opening
    // checks again.
    const QByteArray identity = fileIdentity(m_path);
    if (!identity.isEmpty())
        writeFileAtomically(wholeNotePath(m_path), identity);
}

void AlbumStore::closeStore()
{
    // Whole when found whole, and since then written only by this program.
    if (m_foundWhole && !m_damaged && m_connection.isOpen()) {
        m_connection.close();
        writeWholeNote();
    }
    m_foundWhole = false;
    m_albumKeys.clear();
    m_connection.setFailureObserver(nullptr);
    m_connection.close();
    m_lock.reset();
    m_damaged = false;
}

QString AlbumStore::openFailureMessage() const
{
    switch (m_openFailure) {
    case OpenFailure::None:
        return QString();
    case OpenFailure::Missing:
        return QCoreApplication::translate("AlbumStore", "找不到相册库文件!");
    case OpenFailure::NotAStore:
        return QCoreApplication::translate("AlbumStore", "文件 %1 不是相册库文件,无法打开!")
            .arg(QDir::toNativeSeparators(m_path));
    case OpenFailure::Unreadable:
        return QCoreApplication::translate("AlbumStore", "无法读取相册库文件 %1:\n%2")
            .arg(QDir::toNativeSeparators(m_path), m_openError);
    case OpenFailure::InUse:
        return QCoreApplication::translate("AlbumStore", "相册库正在被另一个 Quilbo 2009 程序使用,请先关闭它!");
    case OpenFailure::Damaged:
        return QCoreApplication::translate("AlbumStore", "相册库已损坏,无法打开,请用备份恢复相册库!");
    }
    return QString();
}

QString AlbumStore::lockFilePath(const QString &storePath)
{
    const QFileInfo store(storePath);
    return store.absolutePath() + QStringLiteral("/.") + store.fileName() + QStringLiteral(".lock");
}

SqlConnection &AlbumStore::connection()
{
    if (!m_connection.isOpen())
        throw SqlError(21, "the album store is not open");
    return m_connection;
}

int AlbumStore::countWhere(const QString &table, const QString &column, const QString &value)
{
    const QString t = StoreSchema::canonicalTable(table);
    const QString c = StoreSchema::canonicalColumn(table, column);
    if (t.isEmpty() || c.isEmpty())
        return 0;
    try {
        // The names come from the schema's own list; the value is bound.
        SqlStatement q(connection(), QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?").arg(t, c));
        q.bind(1, value);
        return q.next() ? int(q.int64(0)) : 0;
    } catch (const SqlError &) {
        return 0;
    }
}

int AlbumStore::nextId(const QString &table, const QString &column)
{
    const QString t = StoreSchema::canonicalTable(table);
    const QString c = StoreSchema::canonicalColumn(table, column);
    if (t.isEmpty() || c.isEmpty())
        throw SqlError(1, "no such table or column: " + table.toStdString() + "." + column.toStdString());
    SqlStatement q(connection(), QStringLiteral("SELECT max(%1) FROM %2").arg(c, t));
    if (!q.next() || q.isNull(0))
        return 1;
    return int(q.int64(0)) + 1;
}
