// One owner per store: a second copy of the program and the tools are
// refused while a store is open, and the lock of a process that died is
// taken over.

#include "AlbumStore.h"
#include "FormFixture.h"

#include <QFile>
#include <QProcess>
#include <QTest>

class TestOwnership : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_f.setUp()); }
    void cleanup() { m_f.tearDown(); }

    void secondInstanceIsRefused()
    {
        QVERIFY(m_f.store->addAlbum(QStringLiteral("mine"), QString()));
        const QByteArray before = TestStore::readFile(m_f.path);
        // A second program on the same store: its own store object and its
        // own main window.
        {
            AlbumStore second;
            AlbumLibrary secondLibrary(second);
            MainWindow window(secondLibrary, m_f.path);
            QVERIFY(!window.storeOpened());
            QCOMPARE(second.openFailure(), AlbumStore::OpenFailure::InUse);
            QCOMPARE(m_f.prompts->messages,
                     (QList<PromptRecord>{{PromptKind::Error, QStringLiteral("错误"),
                                           QStringLiteral("相册库正在被另一个 Quilbo 2009 程序使用,请先关闭它!")}}));
            QCOMPARE(TestStore::readFile(m_f.path), before);
        }

        // The first goes on as before; once it closes, the store is free.
        QVERIFY(m_f.store->addAlbum(QStringLiteral("still mine"), QString()));
        m_f.store->closeStore();
        AlbumStore third;
        QVERIFY(third.openStore(m_f.path));
        QVERIFY(third.findAlbumId(QStringLiteral("still mine")) > 0);
    }

    void toolIsRefusedWhileTheProgramRuns()
    {
        const QString picture = m_f.dir.filePath(QStringLiteral("cat.jpg"));
        QVERIFY(TestStore::writeFile(picture, JpegFixtures::make(JpegFixtures::quarters(16, 16),
                                                                 JpegFixtures::Kind::Baseline)));
        QProcess tool;
        tool.start(QStringLiteral(QUILBO_ADDPICTURES), {m_f.path, QStringLiteral("other"), picture});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(tool.readAllStandardError().contains("in use by another program"));
        QCOMPARE(m_f.store->findAlbumId(QStringLiteral("other")), -1);

        m_f.store->closeStore();
        QCOMPARE(QProcess::execute(QStringLiteral(QUILBO_ADDPICTURES), {m_f.path, QStringLiteral("other"), picture}), 0);
        QVERIFY(m_f.store->openStore(m_f.path));
        QVERIFY(m_f.store->findAlbumId(QStringLiteral("other")) > 0);
    }

    void lockOfAKilledProcessIsTakenOver()
    {
        m_f.store->closeStore();
        const QString lock = AlbumStore::lockFilePath(m_f.path);
        QVERIFY(!QFile::exists(lock));
        QProcess tool;
        tool.start(QStringLiteral(QUILBO_COMPACTSTORE), {m_f.path, QStringLiteral("1000000")});
        QVERIFY(tool.waitForStarted());
        QTRY_VERIFY(QFile::exists(lock));
        QVERIFY(!m_f.store->openStore(m_f.path));
        QCOMPARE(m_f.store->openFailure(), AlbumStore::OpenFailure::InUse);
        tool.kill();
        QVERIFY(tool.waitForFinished());
        QVERIFY(QFile::exists(lock)); // left behind by the killed process
        QVERIFY(m_f.store->openStore(m_f.path));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("after"), QString()));

        // Killed right after it made its lock file, before it wrote its name
        // into it: an empty lock file that nobody holds.
        m_f.store->closeStore();
        QFile empty(lock);
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        QVERIFY(m_f.store->openStore(m_f.path));
        // Held, it is never taken.
        AlbumStore other;
        QVERIFY(!other.openStore(m_f.path));
        QCOMPARE(other.openFailure(), AlbumStore::OpenFailure::InUse);
    }

    // The store reached through a link, or a link standing where its lock
    // belongs, changes nothing: one owner, found by the store's real place.
    void linksDoNotGetAroundTheLock()
    {
        const QString link = m_f.dir.filePath(QStringLiteral("linked.pdb"));
        QVERIFY(QFile::link(m_f.path, link));
        const QString picture = m_f.dir.filePath(QStringLiteral("cat.jpg"));
        QVERIFY(TestStore::writeFile(picture, JpegFixtures::make(JpegFixtures::quarters(16, 16),
                                                                 JpegFixtures::Kind::Baseline)));
        AlbumStore second;
        QVERIFY(!second.openStore(link));
        QCOMPARE(second.openFailure(), AlbumStore::OpenFailure::InUse);
        QCOMPARE(QProcess::execute(QStringLiteral(QUILBO_ADDPICTURES), {link, QStringLiteral("other"), picture}), 1);
        QCOMPARE(m_f.store->findAlbumId(QStringLiteral("other")), -1);

        // A link pointing nowhere where the lock belongs is no owner.
        m_f.store->closeStore();
        const QString lock = AlbumStore::lockFilePath(m_f.path);
        QVERIFY(QFile::link(m_f.dir.filePath(QStringLiteral("nowhere")), lock));
        QVERIFY(m_f.store->openStore(link));
        QVERIFY(!second.openStore(m_f.path));
        QCOMPARE(second.openFailure(), AlbumStore::OpenFailure::InUse);
        QVERIFY(!QFile::exists(m_f.dir.filePath(QStringLiteral("nowhere"))));
    }

private:
    TestStore::Fixture m_f;
};

QTEST_MAIN(TestOwnership)
#include "test_ownership.moc"
