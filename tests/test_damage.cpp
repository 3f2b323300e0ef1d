// A damaged store: found at the start without reading the whole file on the
// window's thread, told once, and never written again.

#include "AlbumStore.h"
#include "ConnectionString.h"
#include "FormFixture.h"
#include "StoreCheck.h"

#include <QCryptographicHash>
#include <QFile>
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
        auto window = FormFixture::open(m_f);
        QSignalSpy finished(window->storeCheck(), &StoreCheck::finished);
        QVERIFY(finished.wait(10000));
        QVERIFY(!m_f.store->isDamaged());
        QCOMPARE(m_f.prompts->messages.size(), 0);
        QVERIFY(m_f.store->addAlbum(QStringLiteral("new"), QString()));
    }

    void damagedPageIsFoundInTheBackground()
    {
        overwritePage(QFileInfo(m_f.path).size() / 4096 / 2);
        const QByteArray damaged = digest(m_f.path);
        auto window = FormFixture::open(m_f);
        QVERIFY(!m_f.store->isDamaged()); // nothing read yet but the header
        QSignalSpy finished(window->storeCheck(), &StoreCheck::finished);
        QVERIFY(finished.wait(10000));
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

    void truncatedStoreIsToldAsDamaged()
    {
        QFile file(m_f.path);
        QVERIFY(file.resize(file.size() - 3 * 4096));
        const QByteArray before = digest(m_f.path);
        MainWindow window(m_f.path);
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
        QVERIFY(m_f.store->openStore(ConnectionString::forStore(m_f.path)));
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
    // Random bytes over one page in the middle of the file.
    void overwritePage(qint64 page)
    {
        QFile file(m_f.path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(page * 4096));
        QByteArray noise(4096, Qt::Uninitialized);
        QRandomGenerator(11).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        QCOMPARE(file.write(noise), qint64(noise.size()));
    }

    TestStore::Fixture m_f;
};

QTEST_MAIN(TestDamage)
#include "test_damage.moc"
