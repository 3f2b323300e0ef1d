// The album store: opening (and refusing) files, the statement runner,
// countWhere, nextId, transactions and the schema's rules.

#include "AlbumStore.h"
#include "EngineCipher.h"
#include "ScriptedPrompts.h"
#include "Sql.h"
#include "StoreSchema.h"
#include "TestStore.h"
#include "TextRules.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray digest(const QString &path)
{
    return QCryptographicHash::hash(TestStore::readFile(path), QCryptographicHash::Sha256);
}

void insertAlbum(AlbumStore &store, int id, const QString &name, const QString &pass = QString())
{
    SqlStatement q(store.connection(),
                   QStringLiteral("INSERT INTO PicLibTable (PicLibID, PicLibName, PicPass) VALUES (?, ?, ?)"));
    q.bind(1, id).bind(2, name).bind(3, pass).exec();
}

void insertPicture(AlbumStore &store, int id, int album, const QString &name, const QByteArray &bytes)
{
    SqlStatement info(store.connection(), QStringLiteral("INSERT INTO PicInfoTable (PicInfoID, PicLibID, PicName, PicExt) "
                                                         "VALUES (?, ?, ?, ?)"));
    info.bind(1, id).bind(2, album).bind(3, name).bind(4, QStringLiteral("jpg")).exec();
    SqlStatement pic(store.connection(), QStringLiteral("INSERT INTO PicTable (PicInfoID, Pic) VALUES (?, ?)"));
    pic.bind(1, id).bindBlob(2, bytes).exec();
}

int rows(AlbumStore &store, const char *table)
{
    SqlStatement q(store.connection(), QStringLiteral("Select count(*) From %1").arg(QLatin1String(table)));
    q.next();
    return int(q.int64(0));
}

} // namespace

class TestStoreDb : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.setUp(false));
    }
    void cleanup()
    {
        // The store reports nothing by itself.
        QCOMPARE(m_f.prompts->messages.size(), 0);
        m_f.tearDown();
    }

    void openStoreAcceptsAStore()
    {
        const QString path = TestStore::makeStore(m_f.dir, QStringLiteral("good.pdb"));
        QVERIFY(m_f.store->openStore(path));
        QVERIFY(m_f.store->isOpen());
        QCOMPARE(m_f.store->countWhere(QStringLiteral("PicLibTable"), QStringLiteral("PicLibName"), QStringLiteral("x")), 0);
        // Foreign keys are switched on for the connection.
        SqlStatement fk(m_f.store->connection(), QStringLiteral("PRAGMA foreign_keys"));
        QVERIFY(fk.next());
        QCOMPARE(fk.int64(0), 1);
        SqlStatement sd(m_f.store->connection(), QStringLiteral("PRAGMA secure_delete"));
        QVERIFY(sd.next());
        QCOMPARE(sd.int64(0), 0);
    }

    void openStoreRefusesBadFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing file") << "missing";
        QTest::newRow("missing folder") << "missing-folder";
        QTest::newRow("zero bytes") << "empty";
        QTest::newRow("text file") << "text";
        QTest::newRow("other password") << "other-key";
        QTest::newRow("plain sqlite") << "plain";
        QTest::newRow("store without tables") << "no-tables";
        QTest::newRow("folder") << "folder";
    }
    void openStoreRefusesBadFiles()
    {
        QFETCH(QString, kind);
        QString path = m_f.dir.filePath(kind + QStringLiteral(".pdb"));
        if (kind == QLatin1String("missing-folder"))
            path = m_f.dir.filePath(QStringLiteral("date/pdate.pdb"));
        else if (kind == QLatin1String("empty"))
            QVERIFY(TestStore::writeFile(path, QByteArray()));
        else if (kind == QLatin1String("text"))
            QVERIFY(TestStore::writeFile(path, "These are not the photos you are looking for.\n"));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (kind != QLatin1String("missing"))
            makeDatabase(path, kind);

        const bool existed = QFileInfo::exists(path);
        const QByteArray before = QFileInfo(path).isFile() ? digest(path) : QByteArray();

        // An open connection is closed by a failed open.
        const QString good = TestStore::makeStore(m_f.dir, QStringLiteral("open-first-") + kind + QStringLiteral(".pdb"));
        QVERIFY(m_f.store->openStore(good));
        QVERIFY(!m_f.store->openStore(path));
        QVERIFY(!m_f.store->isOpen());
        QCOMPARE(m_f.store->countWhere(QStringLiteral("PicLibTable"), QStringLiteral("PicLibName"), QString()), 0);

        // Nothing is created, modified or truncated.
        QCOMPARE(QFileInfo::exists(path), existed);
        if (QFileInfo(path).isFile())
            QCOMPARE(digest(path), before);
        QVERIFY(!QFileInfo::exists(path + QStringLiteral("-journal")));
        QVERIFY(!QFileInfo::exists(m_f.dir.filePath(QStringLiteral("date"))));
    }

    void openStoreRefusesAnotherPassword()
    {
        // A database keyed with another password is no album store.
        const QString path = m_f.dir.filePath(QStringLiteral("pw.pdb"));
        {
            SqlConnection other;
            other.open(path, true);
            other.key("qe!vorn.7316");
            other.execFixed("PRAGMA cipher_page_size = 4096");
            StoreSchema::createTables(other);
        }
        QVERIFY(!m_f.store->openStore(path));
        QCOMPARE(m_f.store->openFailure(), AlbumStore::OpenFailure::NotAStore);
        QVERIFY(!m_f.store->isOpen());
    }

    void openStoreReopens()
    {
        QTemporaryDir odd(m_f.dir.filePath(QStringLiteral("a folder; with \"odd\" name XXXXXX")));
        QVERIFY(odd.isValid());
        const QString first = TestStore::makeStore(m_f.dir, QStringLiteral("first.pdb"));
        const QString second = TestStore::makeStore(odd, QStringLiteral(" second store.pdb"));
        QVERIFY(m_f.store->openStore(first));
        insertAlbum(*m_f.store, 1, QStringLiteral("Only in first"));

        // Another store, its name starting with a blank: the open
        // connection is replaced.
        QVERIFY(m_f.store->openStore(second));
        QCOMPARE(m_f.store->path(), QFileInfo(second).canonicalFilePath());
        QCOMPARE(m_f.store->countWhere(QStringLiteral("PicLibTable"), QStringLiteral("PicLibName"), QStringLiteral("Only in first")), 0);
        insertAlbum(*m_f.store, 1, QStringLiteral("Only in second"));
        QVERIFY(m_f.store->openStore(first));
        QCOMPARE(m_f.store->countWhere(QStringLiteral("PicLibTable"), QStringLiteral("PicLibName"), QStringLiteral("Only in first")), 1);
    }

    void countWhere_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("match") << "PicLibTable" << "PicLibName" << "Trip" << 1;
        QTest::newRow("other letter case") << "PicLibTable" << "PicLibName" << "abc" << 1;
        QTest::newRow("quote in value") << "PicLibTable" << "PicLibName" << "O'Brien" << 1;
        QTest::newRow("chinese") << "PicLibTable" << "PicLibName" << "家庭相册" << 1;
        QTest::newRow("no match") << "PicLibTable" << "PicLibName" << "Trip " << 0;
        QTest::newRow("two rows") << "PicInfoTable" << "PicName" << "cat" << 2;
        QTest::newRow("names in other case") << "piclibtable" << "PICLIBNAME" << "trip" << 1;
        QTest::newRow("unknown column") << "PicLibTable" << "PicNameX" << "Trip" << 0;
        QTest::newRow("column of another table") << "PicLibTable" << "PicName" << "cat" << 0;
        QTest::newRow("unknown table") << "sqlite_master" << "name" << "PicLibTable" << 0;
        QTest::newRow("injected column") << "PicLibTable" << "PicLibName = PicLibName OR 1" << "x" << 0;
        QTest::newRow("injected value") << "PicLibTable" << "PicLibName" << "x' OR '1'='1" << 0;
    }
    void countWhere()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QString, value);
        QFETCH(int, expected);
        openNewStore();
        insertAlbum(*m_f.store, 1, QStringLiteral("Trip"));
        insertAlbum(*m_f.store, 2, QStringLiteral("ABC"));
        insertAlbum(*m_f.store, 3, QStringLiteral("O'Brien"));
        insertAlbum(*m_f.store, 4, QStringLiteral("家庭相册"));
        insertPicture(*m_f.store, 1, 1, QStringLiteral("cat"), "a");
        insertPicture(*m_f.store, 2, 2, QStringLiteral("Cat"), "b");
        QCOMPARE(m_f.store->countWhere(table, column, value), expected);
    }

    void countWhereOnAClosedConnection()
    {
        QCOMPARE(m_f.store->countWhere(QStringLiteral("PicLibTable"), QStringLiteral("PicLibName"), QStringLiteral("Trip")), 0);
    }

    void nextId()
    {
        openNewStore();
        QCOMPARE(m_f.store->nextId(QStringLiteral("PicLibTable"), QStringLiteral("PicLibID")), 1);
        QCOMPARE(m_f.store->nextId(QStringLiteral("PicInfoTable"), QStringLiteral("PicInfoId")), 1);
        insertAlbum(*m_f.store, 1, QStringLiteral("a"));
        insertAlbum(*m_f.store, 2, QStringLiteral("b"));
        insertAlbum(*m_f.store, 7, QStringLiteral("c"));
        QCOMPARE(m_f.store->nextId(QStringLiteral("PicLibTable"), QStringLiteral("PicLibID")), 8);
        // The id of a deleted largest row is handed out again.
        SqlStatement(m_f.store->connection(), QStringLiteral("Delete from PicLibTable Where PicLibID = 7")).exec();
        QCOMPARE(m_f.store->nextId(QStringLiteral("PicLibTable"), QStringLiteral("PicLibID")), 3);
    }

    void nextIdPassesErrorsOn()
    {
        QVERIFY_THROWS_EXCEPTION(SqlError, m_f.store->nextId(QStringLiteral("PicLibTable"), QStringLiteral("PicLibID")));
        openNewStore();
        QVERIFY_THROWS_EXCEPTION(SqlError, m_f.store->nextId(QStringLiteral("PicLibTable"), QStringLiteral("PicName")));
        QVERIFY_THROWS_EXCEPTION(SqlError, m_f.store->nextId(QStringLiteral("sqlite_master"), QStringLiteral("rowid")));
    }

    void transactionRollsBackUnlessCommitted()
    {
        openNewStore();
        {
            SqlTransaction t(m_f.store->connection());
            insertAlbum(*m_f.store, 1, QStringLiteral("gone"));
            insertPicture(*m_f.store, 1, 1, QStringLiteral("p"), "x");
        }
        QCOMPARE(rows(*m_f.store, "PicLibTable"), 0);
        QCOMPARE(rows(*m_f.store, "PicTable"), 0);
        {
            SqlTransaction t(m_f.store->connection());
            insertAlbum(*m_f.store, 1, QStringLiteral("kept"));
            t.commit();
            QVERIFY_THROWS_EXCEPTION(SqlError, t.commit());
        }
        QCOMPARE(rows(*m_f.store, "PicLibTable"), 1);
        // A failed statement inside a transaction leaves nothing behind.
        try {
            SqlTransaction t(m_f.store->connection());
            insertPicture(*m_f.store, 5, 1, QStringLiteral("one"), "1");
            insertPicture(*m_f.store, 5, 1, QStringLiteral("two"), "2"); // id taken
            t.commit();
            QFAIL("the second insert must fail");
        } catch (const SqlError &) {
        }
        QCOMPARE(rows(*m_f.store, "PicInfoTable"), 0);
        QCOMPARE(rows(*m_f.store, "PicTable"), 0);
    }

    void blobsSurviveWhole()
    {
        openNewStore();
        insertAlbum(*m_f.store, 1, QStringLiteral("a"));
        QByteArray bytes(100000, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 7 % 256);
        insertPicture(*m_f.store, 1, 1, QStringLiteral("nul"), bytes);
        insertPicture(*m_f.store, 2, 1, QStringLiteral("empty"), QByteArray());
        SqlStatement q(m_f.store->connection(), QStringLiteral("Select PicInfoID,Pic From PicTable Where PicInfoID = ?"));
        q.bind(1, 1);
        QVERIFY(q.next());
        QCOMPARE(q.blob(q.column("pic")), bytes);
        SqlStatement e(m_f.store->connection(), QStringLiteral("Select Pic, typeof(Pic) From PicTable Where PicInfoID = 2"));
        QVERIFY(e.next());
        QCOMPARE(e.text(1), QStringLiteral("blob"));
    }

    void schemaRules()
    {
        openNewStore();
        insertAlbum(*m_f.store, 1, QStringLiteral("a"));
        insertAlbum(*m_f.store, 2, QStringLiteral("b"));
        insertPicture(*m_f.store, 1, 1, QStringLiteral("cat"), "1");
        // Picture names are unique within an album, without regard to case;
        // the same name in another album is fine.
        QVERIFY_THROWS_EXCEPTION(SqlError, insertPicture(*m_f.store, 2, 1, QStringLiteral("CAT"), "2"));
        insertPicture(*m_f.store, 2, 2, QStringLiteral("CAT"), "2");
        // A picture must belong to an album.
        QVERIFY_THROWS_EXCEPTION(SqlError, insertPicture(*m_f.store, 3, 99, QStringLiteral("orphan"), "3"));
        // Deleting an album takes its pictures and their bytes with it, so a
        // reused id never meets an old row.
        SqlStatement(m_f.store->connection(), QStringLiteral("Delete from PicLibTable Where PicLibName = 'A'")).exec();
        QCOMPARE(rows(*m_f.store, "PicInfoTable"), 1);
        QCOMPARE(rows(*m_f.store, "PicTable"), 1);
        SqlStatement(m_f.store->connection(), QStringLiteral("Delete from PicInfoTable Where PicInfoID = 2")).exec();
        QCOMPARE(rows(*m_f.store, "PicTable"), 0);
    }

    void storeFileIsEncryptedAndNeverReplaced()
    {
        const QString path = TestStore::makeStore(m_f.dir, QStringLiteral("shipped.pdb"));
        const QByteArray head = TestStore::readFile(path).left(16);
        QVERIFY(!head.startsWith("SQLite format 3"));
        QVERIFY(m_f.store->openStore(path));
        SqlStatement v(m_f.store->connection(), QStringLiteral("PRAGMA user_version"));
        QVERIFY(v.next());
        QCOMPARE(int(v.int64(0)), StoreSchema::SchemaVersion);
        insertAlbum(*m_f.store, 1, QStringLiteral("precious"));
        m_f.store->closeStore();
        const QByteArray before = digest(path);

        QString error;
        QVERIFY(!StoreSchema::createEmptyStore(path, &error));
        QVERIFY(!error.isEmpty());
        QProcess tool;
        tool.start(QStringLiteral(QUILBO_MKSTORE), {QStringLiteral("--if-missing"), path});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 0);
        tool.start(QStringLiteral(QUILBO_MKSTORE), {path});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 1);
        QCOMPARE(digest(path), before);
        QCOMPARE(QDir(m_f.dir.path()).entryList({QStringLiteral(".pdate-new-*")}, QDir::Hidden | QDir::Files).size(), 0);
    }

    void storeOpensWithTheStandardShell()
    {
        const QString sqlcipher = QStandardPaths::findExecutable(QStringLiteral("sqlcipher"));
        if (sqlcipher.isEmpty())
            QSKIP("the sqlcipher shell is not installed");
        const QString path = TestStore::makeStore(m_f.dir, QStringLiteral("shell.pdb"));
        const QString script = QStringLiteral("PRAGMA key='%1';\nPRAGMA cipher_page_size=4096;\n.tables\n")
                                   .arg(QString::fromLatin1(StoreSchema::databasePassword()));
        QStringList tables = runShell(sqlcipher, path, script).simplified().split(QLatin1Char(' '));
        tables.sort();
        QCOMPARE(tables.join(QLatin1Char(' ')),
                 QStringLiteral("PicHashTable PicInfoTable PicKeyTable PicLibTable PicTable PicThumbTable"));

        const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (sqlite3.isEmpty())
            QSKIP("the plain sqlite3 shell is not installed");
        QVERIFY(!runShell(sqlite3, path, QStringLiteral(".tables\n")).contains(QLatin1String("PicLibTable")));
    }

    // The program encrypts and checks pages with a cipher of its own: the
    // engine's own (the shell's) must read every page it writes, and the
    // program every page the shell writes, byte for byte.
    void pagesReadTheSameByTheEngineAlone()
    {
        const QString sqlcipher = QStandardPaths::findExecutable(QStringLiteral("sqlcipher"));
        if (sqlcipher.isEmpty())
            QSKIP("the sqlcipher shell is not installed");
        const QString path = TestStore::makeStore(m_f.dir, QStringLiteral("cipher.pdb"));
        QVERIFY(m_f.store->openStore(path));
        {
            SqlStatement version(m_f.store->connection(), QStringLiteral("PRAGMA cipher_version"));
            QVERIFY(version.next());
            SqlStatement provider(m_f.store->connection(), QStringLiteral("PRAGMA cipher_provider"));
            QVERIFY(provider.next());
            if (version.text(0).startsWith(QLatin1String("3.4.")))
                QCOMPARE(provider.text(0), QString::fromLatin1(EngineCipher::providerName()));
        }
        // Sizes within one page, over a few and over many overflow pages.
        const QList<int> sizes = {100, 9000, 3 << 20};
        QList<QByteArray> written;
        insertAlbum(*m_f.store, 1, QStringLiteral("album"));
        for (int i = 0; i < sizes.size(); ++i) {
            QByteArray bytes(sizes[i], Qt::Uninitialized);
            QRandomGenerator(quint32(i + 1)).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
            insertPicture(*m_f.store, i + 1, 1, QStringLiteral("p%1").arg(i), bytes);
            written.append(bytes);
        }
        m_f.store->closeStore();

        QString script = QStringLiteral("PRAGMA key='%1';\nPRAGMA cipher_page_size=4096;\nPRAGMA integrity_check;\n")
                             .arg(QString::fromLatin1(StoreSchema::databasePassword()));
        for (int i = 0; i < sizes.size(); ++i)
            script += QStringLiteral("SELECT lower(hex(Pic)) FROM PicTable WHERE PicInfoID = %1;\n").arg(i + 1);
        // Written by the shell: a picture over many pages, and one page
        // of the table changed.
        const QByteArray shellBytes = QByteArray(1 << 20, 'q') + QByteArray("end");
        script += QStringLiteral("INSERT INTO PicInfoTable VALUES (9, 1, 'shell', 'jpg');\n"
                                 "INSERT INTO PicTable VALUES (9, x'%1');\n")
                      .arg(QString::fromLatin1(shellBytes.toHex()));
        const QStringList lines = runShell(sqlcipher, path, script).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1 + sizes.size());
        QCOMPARE(lines[0], QStringLiteral("ok"));
        for (int i = 0; i < sizes.size(); ++i)
            QVERIFY2(lines[1 + i].toLatin1() == written[i].toHex(), qPrintable(QStringLiteral("picture %1").arg(i)));

        QVERIFY(m_f.store->openStore(path));
        SqlStatement check(m_f.store->connection(), QStringLiteral("PRAGMA integrity_check"));
        QVERIFY(check.next());
        QCOMPARE(check.text(0), QStringLiteral("ok"));
        SqlStatement read(m_f.store->connection(), QStringLiteral("SELECT Pic FROM PicTable WHERE PicInfoID = 9"));
        QVERIFY(read.next());
        QVERIFY(read.blob(0) == shellBytes);
    }

    // A store made elsewhere, without the UNIQUE (album, name) of the
    // stores made here, gets an index at its first opening, so that a name
    // is looked up without reading the table; the names compare as that
    // store's column always compared them. A store made here gets none.
    void storeWithoutNameIndexGetsOne()
    {
        const auto indexes = [this] {
            QStringList names;
            SqlStatement list(m_f.store->connection(), QStringLiteral("PRAGMA index_list(PicInfoTable)"));
            while (list.next())
                names.append(list.text(1));
            return names;
        };
        const auto lookupPlan = [this] {
            SqlStatement plan(m_f.store->connection(),
                              QStringLiteral("EXPLAIN QUERY PLAN SELECT PicInfoID FROM PicInfoTable "
                                             "WHERE PicName = 'IMG_7' AND PicLibID = 1"));
            return plan.next() ? plan.text(3) : QString();
        };
        QVERIFY(m_f.store->openStore(TestStore::makeStore(m_f.dir)));
        QCOMPARE(indexes().size(), 1);
        m_f.store->closeStore();

        const QString path = m_f.dir.filePath(QStringLiteral("elsewhere.pdb"));
        {
            SqlConnection db;
            db.open(path, true);
            StoreSchema::keyConnection(db);
            db.execFixed("CREATE TABLE PicLibTable (PicLibID INTEGER PRIMARY KEY, PicLibName TEXT, PicPass TEXT)");
            db.execFixed("CREATE TABLE PicInfoTable (PicInfoID INTEGER PRIMARY KEY, PicLibID INTEGER, PicName TEXT, "
                         "PicExt TEXT)");
            db.execFixed("CREATE TABLE PicTable (PicInfoID INTEGER PRIMARY KEY, Pic BLOB)");
            db.execFixed("INSERT INTO PicLibTable VALUES (1, 'a', '')");
            for (int i = 1; i <= 20; ++i)
                SqlStatement(db, QStringLiteral("INSERT INTO PicInfoTable VALUES (?, 1, ?, 'jpg')"))
                    .bind(1, i)
                    .bind(2, QStringLiteral("IMG_%1").arg(i))
                    .exec();
        }
        for (int opening = 0; opening < 2; ++opening) {
            QVERIFY(m_f.store->openStore(path));
            QCOMPARE(indexes(), QStringList{QStringLiteral("PicInfoLibNameIdx")});
            QVERIFY2(lookupPlan().contains(QLatin1String("PicInfoLibNameIdx")), qPrintable(lookupPlan()));
            QCOMPARE(m_f.store->findPictureId(1, QStringLiteral("IMG_7")), 7);
            QCOMPARE(m_f.store->findPictureId(1, QStringLiteral("img_7")), -1);
            m_f.store->closeStore();
        }
    }

    void textRules()
    {
        QCOMPARE(trimText(QStringLiteral("  Trip  ")), QStringLiteral("Trip"));
        QCOMPARE(trimText(QStringLiteral("\t\x01\r\nTrip\x1f ")), QStringLiteral("Trip"));
        // The ideographic space is a character of the name, not a blank.
        QCOMPARE(trimText(QStringLiteral("\u3000相册\u3000")), QStringLiteral("\u3000相册\u3000"));
        QCOMPARE(trimText(QStringLiteral(" \t ")), QString());
        QCOMPARE(gbkByteLength(QStringLiteral("abc")), 3);
        QCOMPARE(gbkByteLength(QStringLiteral("家庭a")), 5);
        QCOMPARE(gbkTruncate(QStringLiteral("家庭相册"), 5), QStringLiteral("家庭"));
        QCOMPARE(gbkTruncate(QStringLiteral("ab家"), 3), QStringLiteral("ab"));
        // Terminal columns: a Chinese character takes two, an accented
        // letter one.
        QCOMPARE(displayWidth(QStringLiteral("相册 é")), 6);
        QCOMPARE(wrapToWidth(QStringLiteral("one two three"), 8), (QStringList{"one two", "three"}));
        QCOMPARE(wrapToWidth(QStringLiteral("相册中已有的图片"), 6), (QStringList{"相册中", "已有的", "图片"}));
        QCOMPARE(wrapToWidth(QStringLiteral("导入 quilbo --import 相册"), 12),
                 (QStringList{"导入 quilbo", "--import 相", "册"}));
    }

private:
    void openNewStore()
    {
        static int n = 0;
        const QString path = TestStore::makeStore(m_f.dir, QStringLiteral("store%1.pdb").arg(++n));
        QVERIFY(m_f.store->openStore(path));
    }

    void makeDatabase(const QString &path, const QString &kind)
    {
        SqlConnection db;
        db.open(path, true);
        if (kind == QLatin1String("other-key")) {
            db.key("another password");
            db.execFixed("PRAGMA cipher_page_size = 4096");
            StoreSchema::createTables(db);
        } else if (kind == QLatin1String("plain")) {
            StoreSchema::createTables(db);
        } else { // keyed, but without the tables
            StoreSchema::keyConnection(db);
            db.execFixed("CREATE TABLE Other(x)");
        }
    }

    QString runShell(const QString &shell, const QString &path, const QString &script)
    {
        QProcess p;
        p.start(shell, {path});
        p.write(script.toUtf8());
        p.closeWriteChannel();
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    TestStore::Fixture m_f;
};

QTEST_GUILESS_MAIN(TestStoreDb)
#include "test_store.moc"
