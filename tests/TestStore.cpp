#include "TestStore.h"

#include "AlbumStore.h"
#include "Sql.h"
#include "StoreSchema.h"
#include "Wallpaper.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace TestStore {

namespace {

// The store of the fixture set up last: the one pictures are added to.
AlbumStore *s_store = nullptr;

} // namespace

bool Fixture::setUp(bool open)
{
    if (!dir.isValid()) {
        QTest::qFail("no temporary folder", __FILE__, __LINE__);
        return false;
    }
    library.reset();
    store.reset(); // one store object at a time
    store = std::make_unique<AlbumStore>();
    library = std::make_unique<AlbumLibrary>(*store);
    s_store = store.get();
    // Protected albums at the least cost: a test makes many.
    AlbumCipher::useLeastCostForTests(true);
    prompts = ScriptedPrompts::install();
    Wallpaper::setCommandRunner(nullptr);
    if (!open)
        return true;
    static int n = 0;
    path = makeStore(dir, QStringLiteral("store%1.pdb").arg(++n));
    if (path.isEmpty() || !store->openStore(path)) {
        QTest::qFail("cannot open a test store", __FILE__, __LINE__);
        return false;
    }
    return true;
}

QString makeStore(const QTemporaryDir &dir, const QString &name)
{
    // One empty store made per test program, copied for each test: the
    // copies share its salt, so the page key is derived once.
    static QTemporaryDir templateDir;
    static const QString templatePath = [] {
        const QString path = templateDir.filePath(QStringLiteral("empty.pdb"));
        QString error;
        if (!StoreSchema::createEmptyStore(path, &error))
            qWarning("cannot make a test store: %s", qPrintable(error));
        return path;
    }();
    const QString path = dir.filePath(name);
    if (!QFile::copy(templatePath, path)) {
        QTest::qFail(qPrintable(QStringLiteral("cannot make a test store at ") + path), __FILE__, __LINE__);
        return QString();
    }
    return path;
}

QString testData()
{
    const QString path = QStringLiteral(QUILBO_TESTDATA);
    return QDir(path).exists() ? QDir(path).canonicalPath() : QString();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

int addPictureBytes(const QTemporaryDir &dir, int albumId, const QString &name, const QByteArray &bytes)
{
    // Each picture comes from a folder of its own, so that any name fits.
    static int n = 0;
    const QString folder = dir.filePath(QStringLiteral("import%1").arg(++n));
    QDir().mkpath(folder);
    const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".jpg");
    AlbumStore &store = *s_store;
    AlbumStore::PictureFailure failure;
    if (writeFile(file, bytes) && store.addPicture(albumId, file, &failure))
        return store.findPictureId(albumId, name);
    // Bytes the viewer cannot show are refused by every import, but a store
    // of an earlier version, or one brought over from the Windows version,
    // may hold them: stored as those were, in an album without a password.
    if (failure.kind == AlbumStore::PictureFailure::NotAPicture) {
        try {
            SqlStatement keyed(store.connection(), QStringLiteral("SELECT count(*) FROM PicKeyTable WHERE PicLibID = ?"));
            keyed.bind(1, albumId);
            if (keyed.next() && keyed.int64(0) == 0) {
                SqlTransaction t(store.connection());
                const int id = store.nextId(QStringLiteral("PicInfoTable"), QStringLiteral("PicInfoID"));
                store.insertPicture(id, albumId, name, QStringLiteral("jpg"), bytes, nullptr);
                t.commit();
                return id;
            }
        } catch (const SqlError &) {
        }
    }
    QTest::qFail(qPrintable(QStringLiteral("cannot store the picture ") + name), __FILE__, __LINE__);
    return -1;
}

qint64 memoryKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

bool resetMemoryPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

Mount::Mount(const QString &path, const QStringList &mountArguments) : m_path(path)
{
    QDir().mkpath(path);
    QProcess mount;
    mount.setProcessChannelMode(QProcess::MergedChannels);
    mount.start(QStringLiteral("mount"), mountArguments + QStringList{path});
    m_mounted = mount.waitForFinished(30000) && mount.exitStatus() == QProcess::NormalExit && mount.exitCode() == 0;
    if (!m_mounted)
        m_why = QString::fromLocal8Bit(mount.readAll()).trimmed();
}

Mount::~Mount()
{
    if (m_mounted)
        QProcess::execute(QStringLiteral("umount"), {m_path});
}

SmallDisk::SmallDisk(const QString &path, qint64 bytes)
    : Mount(path, {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                   QStringLiteral("size=%1").arg(bytes), QStringLiteral("quilbo-test")})
{
}

namespace {

// Makes a FAT image of 32 MB; the mount of a file that is not one fails.
QString fatImage(const QString &image)
{
    QFile file(image);
    if (file.open(QIODevice::WriteOnly) && file.resize(32 << 20)) {
        file.close();
        QProcess::execute(QStringLiteral("mkfs.vfat"), {QStringLiteral("-q"), image});
    }
    return image;
}

} // namespace

FatDisk::FatDisk(const QString &path, const QString &image)
    : Mount(path, {QStringLiteral("-t"), QStringLiteral("vfat"), QStringLiteral("-o"), QStringLiteral("loop"),
                   fatImage(image)})
{
}

} // namespace TestStore
