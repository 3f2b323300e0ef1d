// A damaged store: found at the start without reading the whole file on the
// window's thread, told once, and never written again.

#include "AlbumStore.h"
#include "FormFixture.h"
#include "StoreCheck.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

namespace {

const PromptRecord kDamaged{PromptKind::Error, QStringLiteral("错误"),
                            QStringLiteral("相册库已损坏,请关闭程序并用备份恢复相册库!\n"
                                           "为保护您的图片,程序不再向相册库写入任何内容。")};

QByteArray digest(const QString &path)
{
    return QCryptographicHash::hash(TestStore::readFile(path), QCryptographicHash::Sha256);
}

} // namespace

class TestDamage : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.setUp());
        QVERIFY(m_f.store->addAlbum(QStringLiteral("album"), QString()));
        QRandomGenerator rng(7);
        for (int i = 0; i < 8; ++i) {
            QByteArray bytes(120 * 1024, Qt::Uninitialized);
            rng.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
            TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("p%1").arg(i), bytes);
        }
        m_f.store->closeStore();
    }
    void cleanup() { m_f.tearDown(); }

    void cleanStoreIsNotCalledDamaged()
    {
        // Watched before the window opens: a small store's check may end
        // while the window is being shown.
        QSignalSpy finished(m_f.library.get(), &AlbumLibrary::pagesChecked);
        auto window = FormFixture::open(m_f);
        QVERIFY(!finished.isEmpty() || finished.wait(10000));
        QVERIFY(!m_f.store->isDamaged());
        QCOMPARE(m_f.prompts->messages.size(), 0);
        QVERIFY(m_f.store->addAlbum(QStringLiteral("new"), QString()));
    }

    void damagedPageIsFoundInTheBackground()
    {
        overwritePage(QFileInfo(m_f.path).size() / 4096 / 2);
        const QByteArray damaged = digest(m_f.path);
        QSignalSpy finished(m_f.library.get(), &AlbumLibrary::pagesChecked);
        auto window = FormFixture::open(m_f);
        // The opening reads no more than the header; the check finds it.
        QVERIFY(!finished.isEmpty() || finished.wait(10000));
        QVERIFY(m_f.store->isDamaged());
        QTRY_COMPARE(m_f.prompts->messages, QList<PromptRecord>{kDamaged});

        // Nothing is written any more, whatever is tried.
        QVERIFY(!m_f.store->addAlbum(QStringLiteral("new"), QString()));
        QVERIFY(!m_f.store->renamePicture(1, QStringLiteral("p0"), QStringLiteral("q0")));
        QVERIFY(!m_f.store->deletePicture(1, QStringLiteral("p1")));
        QVERIFY(!m_f.store->compactStore(m_f.path));
        AlbumStore::PictureFailure failure;
        QVERIFY(!m_f.store->addPicture(1, m_f.path, &failure));
        QCOMPARE(failure.kind, AlbumStore::PictureFailure::Damaged);
        window.reset();
        m_f.store->closeStore();
        QCOMPARE(digest(m_f.path), damaged);
        QCOMPARE(m_f.prompts->messages, QList<PromptRecord>{kDamaged}); // told once
    }

    // Whatever writes (a tool, the terminal import, the window before its
    // own check has ended), a damaged store is refused before the first
    // write, and the file stays as it was.
    void writersRefuseADamagedStore_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("damage");
        for (const char *writer : {"addpictures", "import-legacy", "window"})
            for (const char *damage : {"middle page", "pointer-map page", "zeroed page"})
                QTest::addRow("%s, %s", writer, damage) << QString::fromLatin1(writer) << QString::fromLatin1(damage);
    }
    void writersRefuseADamagedStore()
    {
        QFETCH(QString, writer);
        QFETCH(QString, damage);
        const qint64 pages = QFileInfo(m_f.path).size() / 4096;
        if (damage == QLatin1String("pointer-map page"))
            overwritePage(1); // page 2: the first map of the pages
        else if (damage == QLatin1String("zeroed page"))
            overwritePage(pages / 2, QByteArray(4096, '\0'));
        else
            overwritePage(pages / 2);
        const QByteArray damaged = digest(m_f.path);
        const QByteArray note = TestStore::readFile(AlbumStore::wholeNotePath(m_f.path));
        const QString picture = m_f.dir.filePath(QStringLiteral("new.jpg"));
        QVERIFY(TestStore::writeFile(picture, JpegFixtures::make(JpegFixtures::quarters(16, 16),
                                                                 JpegFixtures::Kind::Baseline)));

        if (writer == QLatin1String("window")) {
            auto window = FormFixture::open(m_f);
            // At once, before the check in the background has ended.
            QVERIFY(!m_f.store->addAlbum(QStringLiteral("new"), QString()));
            QVERIFY(m_f.store->isDamaged());
            QTRY_COMPARE(m_f.prompts->messages, QList<PromptRecord>{kDamaged});
        } else {
            QProcess tool;
            if (writer == QLatin1String("addpictures"))
                tool.start(QStringLiteral(QUILBO_ADDPICTURES), {m_f.path, QStringLiteral("album"), picture});
            else
                tool.start(QStringLiteral(QUILBO_PROGRAM),
                           {QStringLiteral("--store"), m_f.path, QStringLiteral("--import-legacy"), picture});
            QVERIFY(tool.waitForFinished(60000));
            QCOMPARE(tool.exitCode(), 1);
            const QString said = QString::fromUtf8(tool.readAllStandardError() + tool.readAllStandardOutput());
            QVERIFY2(said.contains(QStringLiteral("damaged")) || said.contains(QStringLiteral("相册库已损坏")),
                     qPrintable(said));
        }
        QCOMPARE(digest(m_f.path), damaged);
        // The damaged file is never noted as whole.
        QCOMPARE(TestStore::readFile(AlbumStore::wholeNotePath(m_f.path)), note);
        QVERIFY(note != AlbumStore::fileIdentity(m_f.path));
    }

    void wholeStoreIsNotedAfterItsCheck()
    {
        const QString note = AlbumStore::wholeNotePath(m_f.path);
        QVERIFY(QFile::remove(note));
        QSignalSpy finished(m_f.library.get(), &AlbumLibrary::pagesChecked);
        auto window = FormFixture::open(m_f);
        QVERIFY(!finished.isEmpty() || finished.wait(10000));
        QCOMPARE(TestStore::readFile(note), AlbumStore::fileIdentity(m_f.path));
        // Written by the program since: noted again as it is at the end.
        QVERIFY(m_f.store->addAlbum(QStringLiteral("new"), QString()));
        QVERIFY(TestStore::readFile(note) != AlbumStore::fileIdentity(m_f.path));
        window.reset();
        m_f.store->closeStore();
        QCOMPARE(TestStore::readFile(note), AlbumStore::fileIdentity(m_f.path));
    }

    void truncatedStoreIsToldAsDamaged()
    {
        QFile file(m_f.path);
        QVERIFY(file.resize(file.size() - 3 * 4096));
        const QByteArray before = digest(m_f.path);
        MainWindow window(*m_f.library, m_f.path);
        QVERIFY(!window.storeOpened());
        QCOMPARE(m_f.store->openFailure(), AlbumStore::OpenFailure::Damaged);
        QCOMPARE(m_f.prompts->messages,
                 (QList<PromptRecord>{{PromptKind::Error, QStringLiteral("错误"),
                                       QStringLiteral("相册库已损坏,无法打开,请用备份恢复相册库!")}}));
        QCOMPARE(digest(m_f.path), before);
    }

    void damageMetByAReadIsTold()
    {
        overwritePage(QFileInfo(m_f.path).size() / 4096 / 2);
        int told = 0;
        m_f.store->setDamageHandler([&told] { ++told; });
        QVERIFY(m_f.store->openStore(m_f.path));
        QVERIFY(!m_f.store->isDamaged());
        int failed = 0;
        for (int id = 1; id <= 8; ++id) {
            try {
                m_f.store->pictureData(id);
            } catch (const SqlError &) {
                ++failed;
            }
        }
        QCOMPARE(failed, 1);
        QVERIFY(m_f.store->isDamaged());
        QCOMPARE(told, 1);
        QVERIFY(!m_f.store->addAlbum(QStringLiteral("new"), QString()));
        QCOMPARE(told, 1);
    }

private:
    // Random bytes (or the bytes given) over one page of the file, counted
    // from 0.
    void overwritePage(qint64 page, QByteArray bytes = QByteArray())
    {
        QFile file(m_f.path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(page * 4096));
        if (bytes.isEmpty()) {
            bytes.resize(4096);
            QRandomGenerator(11).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        }
        QCOMPARE(file.write(bytes), qint64(bytes.size()));
    }

    TestStore::Fixture m_f;
};

QTEST_MAIN(TestDamage)
#include "test_damage.moc"
