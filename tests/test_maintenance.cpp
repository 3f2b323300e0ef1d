// Store maintenance: compaction (smaller, every picture kept, safe against a
// kill at any moment and a full disk) and backup copies.

#include "AlbumStore.h"
#include "JpegFixtures.h"
#include "Sql.h"
#include "StoreSchema.h"
#include "TestStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QThread>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTest>

#include <memory>

#include <sys/stat.h>

namespace {

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    rng.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

} // namespace

class TestMaintenance : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_f.setUp()); }
    void cleanup() { m_f.tearDown(); }

    void compactionShrinksAndKeepsEveryPicture()
    {
        fill(12, 300 * 1024);
        QStringList names;
        m_f.store->listPictureNames(1, &names);
        for (int i = 0; i < names.size(); i += 2)
            QVERIFY(m_f.store->deletePicture(1, names[i]));
        const qint64 before = QFileInfo(m_f.path).size();
        // The compacted store keeps the file's permission bits.
        QVERIFY(QFile::setPermissions(m_f.path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        for (int round = 0; round < 2; ++round) {
            QVERIFY(m_f.store->compactStore(m_f.path));
            const QFile::Permissions others = QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
            const QFile::Permissions group = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup;
            QCOMPARE(QFileInfo(m_f.path).permissions() & (group | others), QFile::Permissions(QFile::ReadGroup));
            QVERIFY(m_f.store->isOpen());
            checkPictures();
        }
        const qint64 after = QFileInfo(m_f.path).size();
        QVERIFY2(after < before * 6 / 10, qPrintable(QStringLiteral("%1 -> %2 bytes").arg(before).arg(after)));
        SqlStatement version(m_f.store->connection(), QStringLiteral("PRAGMA user_version"));
        QVERIFY(version.next());
        QCOMPARE(int(version.int64(0)), StoreSchema::SchemaVersion);
        QCOMPARE(workingFiles(), QStringList());
        // The connection works as before.
        QVERIFY(m_f.store->addAlbum(QStringLiteral("after"), QString()));
        QCOMPARE(m_f.store->findAlbumId(QStringLiteral("after")), 2);
    }

    void compactionOfAnotherFileIsRefused()
    {
        QVERIFY(!m_f.store->compactStore(m_f.dir.filePath(QStringLiteral("nothing.pdb"))));
        QVERIFY(m_f.store->isOpen());
        // Another store (or any file) is left as it is: the open store is
        // never renamed over it.
        const QString other = TestStore::makeStore(m_f.dir, QStringLiteral("other.pdb"));
        const QByteArray before = TestStore::readFile(other);
        QVERIFY(!m_f.store->compactStore(other));
        QCOMPARE(TestStore::readFile(other), before);
        QVERIFY(m_f.store->isOpen());
        QCOMPARE(workingFiles(), QStringList());
    }

    void compactionOnAFullDiskLeavesTheStore_data()
    {
        QTest::addColumn<bool>("older");
        QTest::newRow("in place") << false;
        QTest::newRow("an older store, into a copy") << true;
    }
    void compactionOnAFullDiskLeavesTheStore()
    {
        QFETCH(bool, older);
        fill(6, 200 * 1024);
        QVERIFY(m_f.store->deletePicture(1, QStringLiteral("p0")));
        QVERIFY(m_f.store->deletePicture(1, QStringLiteral("p1")));
        if (older)
            makeOlder();
        m_f.store->closeStore();
        const qint64 size = QFileInfo(m_f.path).size();
        // Room for the store and little else: not for the pages a compaction
        // moves, nor for a copy.
        TestStore::SmallDisk disk(m_f.dir.filePath(QStringLiteral("small")), size + 32 * 1024);
        if (!disk.isMounted())
            QSKIP("cannot mount a small tmpfs here (needs root)");
        const QString store = disk.path() + QStringLiteral("/pdate.pdb");
        QVERIFY(QFile::copy(m_f.path, store));
        const QByteArray before = TestStore::readFile(store);
        QVERIFY(m_f.store->openStore(store));
        QVERIFY(!m_f.store->compactStore(store));
        QCOMPARE(TestStore::readFile(store), before);
        // Nothing but the store, the lock that marks it as open and the note
        // that it was found whole.
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{QStringLiteral(".pdate.pdb.checked"), QStringLiteral(".pdate.pdb.lock"),
                              QStringLiteral("pdate.pdb")}));
        QVERIFY(m_f.store->isOpen());
        checkPictures();
        // Lack of room is what stopped it, and the room it asks for is
        // enough.
        const qint64 room = m_f.store->compactionRoomNeeded();
        QVERIFY(room > 32 * 1024);
        m_f.store->closeStore();
        TestStore::SmallDisk roomy(m_f.dir.filePath(QStringLiteral("roomy")), size + room);
        QVERIFY(roomy.isMounted());
        const QString roomyStore = roomy.path() + QStringLiteral("/pdate.pdb");
        QVERIFY(QFile::copy(m_f.path, roomyStore));
        QVERIFY(m_f.store->openStore(roomyStore));
        QVERIFY(m_f.store->compactStore(roomyStore));
        QCOMPARE(m_f.store->compactionRoomNeeded(), 0);
        checkPictures();
        m_f.store->closeStore();
    }

    // Reached through a link, the store itself is compacted; the link stays.
    void compactionThroughALinkKeepsTheLink()
    {
        fill(4, 100 * 1024);
        QVERIFY(m_f.store->deletePicture(1, QStringLiteral("p0")));
        makeOlder();
        m_f.store->closeStore();
        const QString link = m_f.dir.filePath(QStringLiteral("linked.pdb"));
        QVERIFY(QFile::link(m_f.path, link));
        QVERIFY(m_f.store->openStore(link));
        QVERIFY(m_f.store->compactStore(link));
        QVERIFY(QFileInfo(link).isSymLink());
        m_f.store->closeStore();
        QVERIFY(m_f.store->openStore(m_f.path));
        checkPictures();
    }

    void olderStoreIsCompactedIntoACopyOnceThenInPlace()
    {
        fill(6, 200 * 1024);
        makeOlder();
        QVERIFY(m_f.store->deletePicture(1, QStringLiteral("p0")));
        const auto inode = [this] {
            struct stat info = {};
            ::stat(QFile::encodeName(m_f.path).constData(), &info);
            return info.st_ino;
        };
        const auto before = inode();
        QVERIFY(m_f.store->compactStore(m_f.path));
        QVERIFY(inode() != before); // a new file took its place
        SqlStatement mode(m_f.store->connection(), QStringLiteral("PRAGMA auto_vacuum"));
        QVERIFY(mode.next());
        QCOMPARE(int(mode.int64(0)), 2);
        checkPictures();
        {
            // The new file opens with the database password, as any store.
            SqlConnection copy;
            copy.open(m_f.path);
            copy.key(StoreSchema::databasePassword());
            copy.execFixed("PRAGMA cipher_page_size = 4096");
            SqlStatement check(copy, QStringLiteral("PRAGMA quick_check"));
            QVERIFY(check.next());
            QCOMPARE(check.text(0), QStringLiteral("ok"));
        }
        // From now on in place: the same file, shorter.
        QVERIFY(m_f.store->deletePicture(1, QStringLiteral("p1")));
        const auto converted = inode();
        const qint64 size = QFileInfo(m_f.path).size();
        QVERIFY(m_f.store->compactStore(m_f.path));
        QCOMPARE(inode(), converted);
        QVERIFY(QFileInfo(m_f.path).size() < size - 150 * 1024); // the 200 KB picture
        checkPictures();
        QCOMPARE(workingFiles(), QStringList());
    }

    void killedCompactionNeverLosesTheStore()
    {
        fill(10, 1536 * 1024);
        m_f.store->closeStore();
        const QString tool = QStringLiteral(QUILBO_COMPACTSTORE);
        // How long one compaction takes here, to spread the kills over it.
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(QProcess::execute(tool, {m_f.path, QStringLiteral("1")}), 0);
        const int span = int(timer.elapsed()) * 3 + 20;
        QRandomGenerator rng(20261210);
        for (int trial = 0; trial < 30; ++trial) {
            QProcess child;
            child.start(tool, {m_f.path, QStringLiteral("1000")});
            QVERIFY(child.waitForStarted());
            QTest::qSleep(int(rng.bounded(span)));
            child.kill(); // SIGKILL
            child.waitForFinished();
            QVERIFY2(m_f.store->openStore(m_f.path),
                     qPrintable(QStringLiteral("trial %1: the store does not open").arg(trial)));
            SqlStatement check(m_f.store->connection(), QStringLiteral("PRAGMA integrity_check"));
            QVERIFY(check.next());
            QCOMPARE(check.text(0), QStringLiteral("ok"));
            checkPictures();
            m_f.store->closeStore();
        }
    }

    // Pages are written to the file many at a time: a kill at any moment of
    // an import, or a disk that fills up under it, still leaves a store that
    // checks whole and holds every picture it says it stored, byte for byte.
    void killedImportKeepsEveryPictureItStored()
    {
        QStringList files;
        QMap<QString, QByteArray> bytes;
        for (int i = 0; i < 16; ++i) {
            const QString name = QStringLiteral("f%1").arg(i);
            bytes[name] = JpegFixtures::make(JpegFixtures::quarters(16, 16), JpegFixtures::Kind::Baseline)
                          + randomBytes(1024 * 1024 + 37 * i, quint32(100 + i));
            files.append(m_f.dir.filePath(name + QStringLiteral(".jpg")));
            QVERIFY(TestStore::writeFile(files.last(), bytes[name]));
        }
        m_f.store->closeStore();
        const QString tool = QStringLiteral(QUILBO_ADDPICTURES);
        QRandomGenerator rng(20261211);
        for (int trial = 0; trial < 20; ++trial) {
            QProcess child;
            // Killed once the store has grown by some of what the import
            // writes: inside the import, at a moment of its writing.
            const qint64 before = QFileInfo(m_f.path).size();
            const qint64 grown = qint64(rng.bounded(16 * 1024 * 1024));
            child.start(tool, QStringList{m_f.path, QStringLiteral("t%1").arg(trial)} + files);
            QVERIFY(child.waitForStarted());
            while (!child.waitForFinished(0) && QFileInfo(m_f.path).size() < before + grown)
                QThread::usleep(200);
            child.kill(); // SIGKILL
            child.waitForFinished();
        }
        QVERIFY(m_f.store->openStore(m_f.path));
        checkWholeAndHolding(bytes);
        // Many were stopped part way.
        SqlStatement partial(m_f.store->connection(),
                             QStringLiteral("SELECT count(*) FROM (SELECT PicLibID FROM PicInfoTable GROUP BY PicLibID "
                                            "HAVING count(*) BETWEEN 1 AND 15)"));
        QVERIFY(partial.next());
        QVERIFY2(partial.int64(0) >= 5, qPrintable(QString::number(partial.int64(0))));
    }
    void fullDiskKeepsEveryPictureItStored()
    {
        TestStore::SmallDisk disk(m_f.dir.filePath(QStringLiteral("small")), 3 * 1024 * 1024);
        if (!disk.isMounted())
            QSKIP("cannot mount a small tmpfs here (needs root)");
        m_f.store->closeStore();
        const QString store = disk.path() + QStringLiteral("/pdate.pdb");
        QVERIFY(QFile::copy(m_f.path, store));
        QVERIFY(m_f.store->openStore(store));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("album"), QString()));
        QMap<QString, QByteArray> bytes;
        AlbumStore::PictureFailure failure;
        for (int i = 0; i < 40; ++i) {
            const QString name = QStringLiteral("p%1").arg(i);
            const QByteArray picture = JpegFixtures::make(JpegFixtures::quarters(16, 16), JpegFixtures::Kind::Baseline)
                                       + randomBytes(150 * 1024 + 4096 * i, quint32(i));
            if (!m_f.store->addPictureData(1, name, QStringLiteral(".jpg"), picture, &failure))
                break;
            bytes[name] = picture;
        }
        QCOMPARE(failure.kind, AlbumStore::PictureFailure::Store);
        QCOMPARE(failure.storeCode, 13); // full
        QVERIFY(bytes.size() > 3);
        m_f.store->closeStore();
        QVERIFY(m_f.store->openStore(store));
        checkWholeAndHolding(bytes);
        m_f.store->closeStore();
    }

    void backupTargets_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("file");
        QTest::newRow("no extension") << "/backup/album" << "/backup/album.pdb";
        QTest::newRow("own extension") << "/backup/album.bak" << "/backup/album.bak";
        QTest::newRow("dot in a folder") << "/my.folder/album" << "/my.folder/album";
        QTest::newRow("folder with its separator") << "/backup/" << "/backup/.pdb";
    }
    void backupTargets()
    {
        QFETCH(QString, target);
        QFETCH(QString, file);
        QCOMPARE(AlbumStore::backupTarget(QStringLiteral("/opt/quilbo/date/pdate.pdb"), target), file);
    }

    void backupCopiesAndNeverReplaces()
    {
        fill(3, 100 * 1024);
        const QString folder = m_f.dir.filePath(QStringLiteral("backup"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(m_f.store->backupStore(m_f.path, QStringLiteral("  ") + folder + QStringLiteral("/album ")));
        const QString copy = folder + QStringLiteral("/album.pdb");
        QCOMPARE(TestStore::readFile(copy), TestStore::readFile(m_f.path));
        // A second backup to the same target fails and leaves the first.
        QVERIFY(m_f.store->addAlbum(QStringLiteral("later"), QString()));
        QVERIFY(!m_f.store->backupStore(m_f.path, folder + QStringLiteral("/album")));
        // The copy opens with the password and holds the same pictures.
        AlbumStore other;
        QVERIFY(other.openStore(copy));
        QCOMPARE(other.findAlbumId(QStringLiteral("later")), -1);
        for (auto it = m_bytes.cbegin(); it != m_bytes.cend(); ++it)
            QCOMPARE(other.pictureData(other.findPictureId(1, it.key())), it.value());
        other.closeStore();

        // A folder's path names the file beside it.
        QVERIFY(m_f.store->backupStore(m_f.path, folder));
        QVERIFY(QFileInfo(folder + QStringLiteral(".pdb")).isFile());
        // Missing folder, an existing folder (with a dot), nothing at all.
        const QString dotted = m_f.dir.filePath(QStringLiteral("my.folder"));
        QVERIFY(QDir().mkpath(dotted));
        QVERIFY(!m_f.store->backupStore(m_f.path, m_f.dir.filePath(QStringLiteral("no/such/album"))));
        QVERIFY(!m_f.store->backupStore(m_f.path, dotted));
        QVERIFY(!m_f.store->backupStore(m_f.path, QStringLiteral("   ")));
        QVERIFY(QFileInfo(dotted).isDir());
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("album.pdb")});
    }

    // On file systems that refuse hard links (FAT and exFAT sticks, network
    // shares) the checked copy gets its name another way, never replacing
    // a file there.
    void backupWhereHardLinksAreRefused_data()
    {
        QTest::addColumn<QString>("refuse");
        QTest::newRow("link refused") << "link";
        QTest::newRow("link and renameat2 refused") << "link,renameat2";
        QTest::newRow("a FAT file system") << "";
    }
    void backupWhereHardLinksAreRefused()
    {
        QFETCH(QString, refuse);
        fill(3, 100 * 1024);
        m_f.store->closeStore();
        const QString folder = m_f.dir.filePath(QStringLiteral("stick-") + QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        std::unique_ptr<TestStore::FatDisk> fat;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (refuse.isEmpty()) {
            fat = std::make_unique<TestStore::FatDisk>(folder, m_f.dir.filePath(QStringLiteral("fat.img")));
            if (!fat->isMounted())
                QSKIP(qPrintable(QStringLiteral("no FAT file system can be mounted here: ") + fat->why()));
        } else {
            env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(QUILBO_REFUSING_LINKS));
            env.insert(QStringLiteral("QUILBO_TEST_REFUSE"), refuse);
        }
        const QString target = folder + QStringLiteral("/album.pdb");
        const auto backUp = [&](bool refusalsSeen) {
            QProcess tool;
            tool.setProcessEnvironment(env);
            tool.start(QStringLiteral(QUILBO_BACKUPSTORE), {m_f.path, target});
            tool.waitForFinished(60000);
            const QString said = QString::fromLocal8Bit(tool.readAllStandardError());
            for (const QString &call : refuse.split(QLatin1Char(','), Qt::SkipEmptyParts))
                if (refusalsSeen && !said.contains(QStringLiteral("refused ") + call))
                    QTest::qFail(qPrintable(QStringLiteral("%1 was not refused: ").arg(call) + said), __FILE__, __LINE__);
            return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
        };
        QVERIFY(backUp(true));
        QCOMPARE(TestStore::readFile(target), TestStore::readFile(m_f.path));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("album.pdb")});
        // A file under the name stays as it is.
        QVERIFY(TestStore::writeFile(target, "the user's own file"));
        QVERIFY(!backUp(false));
        QCOMPARE(TestStore::readFile(target), QByteArray("the user's own file"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("album.pdb")});
    }

    void backupOnAFullDiskLeavesNothing()
    {
        fill(3, 200 * 1024);
        TestStore::SmallDisk disk(m_f.dir.filePath(QStringLiteral("small")), 128 * 1024);
        if (!disk.isMounted())
            QSKIP("cannot mount a small tmpfs here (needs root)");
        QVERIFY(!m_f.store->backupStore(m_f.path, disk.path() + QStringLiteral("/album")));
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void backupWhileAnotherProcessWrites()
    {
        const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlcipher"));
        if (shell.isEmpty())
            QSKIP("the sqlcipher shell is not installed");
        fill(4, 100 * 1024);
        // A foreign writer, one that takes no lock of ours: the standard
        // shell adding and deleting large pictures, one transaction each.
        QByteArray script = "PRAGMA key = '" + StoreSchema::databasePassword()
                            + "';\nPRAGMA cipher_page_size = 4096;\nPRAGMA busy_timeout = 10000;\n"
                              "PRAGMA foreign_keys = ON;\n";
        for (int i = 100; i < 3100; ++i)
            script += QStringLiteral("BEGIN; INSERT INTO PicInfoTable VALUES (%1, 1, 'w%1', 'jpg'); "
                                     "INSERT INTO PicTable VALUES (%1, randomblob(%2)); COMMIT; "
                                     "DELETE FROM PicInfoTable WHERE PicInfoID = %3;\n")
                          .arg(i)
                          .arg(50000 + i % 7 * 40000)
                          .arg(i - 3)
                          .toUtf8();
        const QString scriptFile = m_f.dir.filePath(QStringLiteral("writer.sql"));
        QVERIFY(TestStore::writeFile(scriptFile, script));
        QProcess writer;
        writer.setStandardInputFile(scriptFile);
        writer.start(shell, {m_f.path});
        QVERIFY(writer.waitForStarted());

        const QString folder = m_f.dir.filePath(QStringLiteral("backups"));
        QVERIFY(QDir().mkpath(folder));
        int made = 0;
        for (int i = 0; i < 60 && writer.state() == QProcess::Running; ++i) {
            const QString target = folder + QStringLiteral("/b%1.pdb").arg(i);
            QVERIFY(m_f.store->backupStore(m_f.path, target));
            SqlConnection copy;
            copy.open(target);
            StoreSchema::keyConnection(copy);
            SqlStatement check(copy, QStringLiteral("PRAGMA integrity_check"));
            QVERIFY(check.next());
            QVERIFY2(check.text(0) == QLatin1String("ok"), qPrintable(QStringLiteral("backup %1: ").arg(i) + check.text(0)));
            ++made;
        }
        const bool stillWriting = writer.state() == QProcess::Running;
        writer.kill();
        writer.waitForFinished();
        QVERIFY2(made >= 50 && stillWriting, qPrintable(QStringLiteral("%1 backups while writing").arg(made)));
    }

    // The copy is read back after its flush and compared with the store:
    // a copy the disk did not keep as written gets no name.
    void backupThatDoesNotReadBackGetsNoName()
    {
        fill(3, 100 * 1024);
        m_f.store->closeStore();
        const QString folder = m_f.dir.filePath(QStringLiteral("bad-disk"));
        QVERIFY(QDir().mkpath(folder));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(QUILBO_REFUSING_LINKS));
        env.insert(QStringLiteral("QUILBO_TEST_DAMAGE_COPIES"), QStringLiteral("1"));
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral(QUILBO_BACKUPSTORE), {m_f.path, folder + QStringLiteral("/album.pdb")});
        QVERIFY(tool.waitForFinished(60000));
        QVERIFY2(tool.readAllStandardError().contains("damaged a copy"), "the copy was not damaged");
        QVERIFY(tool.exitCode() != 0);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void killedBackupLeavesNothingOrAWholeCopy()
    {
        fill(20, 1024 * 1024);
        m_f.store->closeStore();
        const QString tool = QStringLiteral(QUILBO_BACKUPSTORE);
        const QString folder = m_f.dir.filePath(QStringLiteral("killed-backups"));
        QVERIFY(QDir().mkpath(folder));
        const QString target = folder + QStringLiteral("/copy.pdb");
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(QProcess::execute(tool, {m_f.path, target}), 0);
        const int span = int(timer.elapsed()) + 20;
        QVERIFY(QFile::remove(target));
        const QByteArray store = TestStore::readFile(m_f.path);
        QRandomGenerator rng(20261211);
        int whole = 0;
        for (int trial = 0; trial < 30; ++trial) {
            QProcess child;
            child.start(tool, {m_f.path, target});
            QVERIFY(child.waitForStarted());
            QTest::qSleep(int(rng.bounded(span)));
            child.kill(); // SIGKILL
            child.waitForFinished();
            if (QFileInfo::exists(target)) {
                QCOMPARE(TestStore::readFile(target), store);
                ++whole;
                QVERIFY(QFile::remove(target));
            }
        }
        QCOMPARE(TestStore::readFile(m_f.path), store);
        // Each run cleans up what a killed one left under a working name.
        QCOMPARE(QProcess::execute(tool, {m_f.path, target}), 0);
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(left == QStringList{QStringLiteral("copy.pdb")}, qPrintable(left.join(QLatin1Char(' '))));
        qInfo("%d of 30 killed backups had finished", whole);
    }

private:
    // An album of n pictures of random bytes of the size.
    void fill(int n, int size)
    {
        if (m_f.store->findAlbumId(QStringLiteral("album")) < 0)
            QVERIFY(m_f.store->addAlbum(QStringLiteral("album"), QString()));
        m_bytes.clear();
        for (int i = 0; i < n; ++i) {
            const QString name = QStringLiteral("p%1").arg(i);
            m_bytes[name] = randomBytes(size, quint32(i + 1));
            TestStore::addPictureBytes(m_f.dir, 1, name, m_bytes[name]);
        }
    }

    // Turns the fixture's store into one of an earlier version, without a
    // map of its pages.
    void makeOlder()
    {
        m_f.store->connection().execFixed("PRAGMA auto_vacuum = NONE");
        m_f.store->connection().execFixed("VACUUM");
        SqlStatement mode(m_f.store->connection(), QStringLiteral("PRAGMA auto_vacuum"));
        QVERIFY(mode.next());
        QCOMPARE(int(mode.int64(0)), 0);
    }

    // Every picture still in the album holds its bytes.
    void checkPictures()
    {
        QStringList names;
        m_f.store->listPictureNames(1, &names);
        QVERIFY(!names.isEmpty());
        for (const QString &name : names)
            QCOMPARE(m_f.store->pictureData(m_f.store->findPictureId(1, name)), m_bytes.value(name));
    }

    // The store checks whole, and each of its pictures is one of these.
    void checkWholeAndHolding(const QMap<QString, QByteArray> &bytes)
    {
        SqlStatement check(m_f.store->connection(), QStringLiteral("PRAGMA integrity_check"));
        QVERIFY(check.next());
        QCOMPARE(check.text(0), QStringLiteral("ok"));
        SqlStatement all(m_f.store->connection(), QStringLiteral("SELECT PicInfoID, PicName FROM PicInfoTable"));
        int pictures = 0;
        while (all.next()) {
            QVERIFY2(bytes.contains(all.text(1)), qPrintable(all.text(1)));
            QCOMPARE(m_f.store->pictureData(int(all.int64(0))), bytes.value(all.text(1)));
            ++pictures;
        }
        QVERIFY(pictures >= bytes.size());
    }

    QStringList workingFiles() const
    {
        return QDir(m_f.dir.path()).entryList({QStringLiteral(".*compact*")}, QDir::Files | QDir::Hidden);
    }

    TestStore::Fixture m_f;
    QMap<QString, QByteArray> m_bytes;
};

QTEST_GUILESS_MAIN(TestMaintenance)
#include "test_maintenance.moc"
