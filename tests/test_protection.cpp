// Protected albums: the password checked against a verifier, the pictures
// stored encrypted and read back as they were imported, set, change and
// remove all or nothing (also when killed), tampering caught, an older
// store converted, the file holding no secret, the keys' life in the
// window, and the export from a terminal.

#include "AlbumCipher.h"
#include "OffThread.h"
#include "FormFixture.h"
#include "JpegCodec.h"
#include "JpegFixtures.h"
#include "PicturePrefetch.h"
#include "StorePages.h"
#include "StoreSchema.h"
#include "StreamedBytes.h"
#include "TestStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTest>
#include <QtEndian>
#include <QTimer>
#include <QTreeWidget>

#include <openssl/evp.h>
#include <sys/stat.h>

using JpegFixtures::Kind;

namespace {

// Pictures of photograph-like noise, which does not compress: 35 KB at 200
// pixels a side. Each has noise of its own, so that no two share a run of
// bytes.
QList<QByteArray> makePictures(int count, int side, unsigned seed = 1)
{
    QList<QByteArray> pictures;
    for (int i = 0; i < count; ++i)
        pictures.append(JpegFixtures::make(JpegFixtures::noisy(side, side, seed + unsigned(i)), Kind::Baseline));
    return pictures;
}

QByteArray storedBytes(AlbumStore &store, int pictureId)
{
    SqlStatement q(store.connection(), QStringLiteral("SELECT Pic FROM PicTable WHERE PicInfoID = ?"));
    q.bind(1, pictureId);
    return q.next() ? q.blob(0) : QByteArray();
}

void writeStored(AlbumStore &store, int pictureId, const QByteArray &bytes)
{
    SqlStatement q(store.connection(), QStringLiteral("UPDATE PicTable SET Pic = ? WHERE PicInfoID = ?"));
    q.bindBlob(1, bytes).bind(2, pictureId).exec();
}

QString storedPassword(AlbumStore &store, const QString &album)
{
    SqlStatement q(store.connection(), QStringLiteral("SELECT PicPass FROM PicLibTable WHERE PicLibName = ?"));
    q.bind(1, album);
    return q.next() ? q.text(0) : QString();
}

// Every page of the store file decrypted with the store's key, as anyone
// holding the file and that key can: SQLCipher 3's pages (AES-256-CBC, key
// from PBKDF2-HMAC-SHA1 over 64,000 rounds with the file's salt, the IV and
// HMAC in 48 reserved bytes at each page's end; page 1 begins with the salt).
QByteArray decryptedPages(const QString &path)
{
    const QByteArray file = TestStore::readFile(path);
    constexpr int kPage = StoreSchema::CipherPageSize;
    constexpr int kReserve = 48;
    const QByteArray password = StoreSchema::databasePassword();
    unsigned char key[32];
    PKCS5_PBKDF2_HMAC_SHA1(password.constData(), int(password.size()),
                           reinterpret_cast<const unsigned char *>(file.constData()), 16, 64000, sizeof key, key);
    QByteArray plain;
    for (qsizetype offset = 0; offset + kPage <= file.size(); offset += kPage) {
        const auto *page = reinterpret_cast<const unsigned char *>(file.constData() + offset);
        const int start = offset == 0 ? 16 : 0;
        EVP_CIPHER_CTX *ctx = EVP_CIPHER_CTX_new();
        EVP_DecryptInit_ex(ctx, EVP_aes_256_cbc(), nullptr, key, page + kPage - kReserve);
        EVP_CIPHER_CTX_set_padding(ctx, 0);
        QByteArray out(kPage, '\0');
        int n = 0;
        EVP_DecryptUpdate(ctx, reinterpret_cast<unsigned char *>(out.data()), &n, page + start,
                          kPage - kReserve - start);
        EVP_CIPHER_CTX_free(ctx);
        plain.append(out.left(n));
    }
    return plain;
}

// Whether a run of 64 bytes of the picture's own data, from any of many
// places in it, is found in the haystack. (Its first kilobytes are the
// header every picture of the encoder shares.)
bool anyRunOf(const QByteArray &picture, const QByteArray &haystack)
{
    for (qsizetype at = 2048; at + 64 <= picture.size(); at += 509)
        if (haystack.contains(picture.mid(at, 64)))
            return true;
    return false;
}

} // namespace

class TestProtection : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_f.setUp()); }
    void cleanup() { m_f.tearDown(); }

    // The password as the check compares it: trimmed, A to Z folded, and
    // nothing else; the right one opens the album after the store is opened
    // again, with the pictures as imported.
    void passwordsAreComparedAsBefore_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("opens");
        QTest::newRow("the same") << "Pw1" << "Pw1" << true;
        QTest::newRow("other letter case") << "Pw1" << "pW1" << true;
        QTest::newRow("blanks around, set") << "  pw1  " << "pw1" << true;
        QTest::newRow("blanks around, entered") << "pw1" << " pw1 " << true;
        QTest::newRow("blank inside") << "pw 1" << "pw1" << false;
        QTest::newRow("wrong") << "pw1" << "pw2" << false;
        QTest::newRow("Chinese") << "密码" << "密码" << true;
        QTest::newRow("case beyond A to Z") << "Äpfel" << "äpfel" << false;
        QTest::newRow("nothing entered") << "pw1" << "" << false;
    }
    void passwordsAreComparedAsBefore()
    {
        QFETCH(QString, set);
        QFETCH(QString, entered);
        QFETCH(bool, opens);
        const QByteArray picture = makePictures(1, 64).first();
        QVERIFY(m_f.store->addAlbum(QStringLiteral("trip"), QString()));
        const int id = TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("p"), picture);
        QVERIFY(m_f.store->setAlbumPassword(QStringLiteral("trip"), set));
        // No password is kept, in any form the check compares.
        const QString stored = storedPassword(*m_f.store, QStringLiteral("trip"));
        // Nothing but the verifier's settings, salt and hash, encoded.
        static const QRegularExpression verifier(
            QStringLiteral("^\\$argon2id\\$v=19\\$m=\\d+,t=\\d+,p=\\d+\\$[A-Za-z0-9+/]+\\$[A-Za-z0-9+/]+$"));
        QVERIFY(AlbumCipher::isVerifier(stored));
        QVERIFY2(verifier.match(stored).hasMatch(), qPrintable(stored));

        QVERIFY(m_f.store->openStore(m_f.path));
        QVERIFY(m_f.store->albumHasPassword(QStringLiteral("trip")));
        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError, m_f.store->pictureData(id));
        QCOMPARE(m_f.store->checkAlbumPassword(QStringLiteral("TRIP"), entered), opens);
        QCOMPARE(m_f.store->albumKeyOpen(QStringLiteral("trip")), opens);
        if (opens)
            QCOMPARE(m_f.store->pictureData(id), picture);
    }

    // Set, change, remove: after each, every picture reads and exports as
    // imported; set encrypts, change rewraps only, remove decrypts.
    void setChangeRemoveKeepTheOriginals()
    {
        const QList<QByteArray> pictures = makePictures(3, 160);
        QVERIFY(m_f.store->addAlbum(QStringLiteral("trip"), QString()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("home"), QString()));
        QList<int> ids;
        for (int i = 0; i < pictures.size(); ++i)
            ids.append(TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("p%1").arg(i), pictures.at(i)));
        const int homeId = TestStore::addPictureBytes(m_f.dir, 2, QStringLiteral("h"), pictures.first());
        const auto originalsEverywhere = [&](const QString &step) {
            const QString folder = m_f.dir.filePath(QStringLiteral("export-") + step);
            QVERIFY(QDir().mkpath(folder));
            for (int i = 0; i < ids.size(); ++i) {
                QCOMPARE(m_f.store->pictureData(ids.at(i)), pictures.at(i));
                QVERIFY(m_f.store->exportPictureFile(ids.at(i), folder));
                QCOMPARE(TestStore::readFile(folder + QStringLiteral("/p%1.jpg").arg(i)), pictures.at(i));
                StreamedBytes streamed;
                QVERIFY(m_f.store->streamPictureData(ids.at(i), streamed, [] { return true; }));
                QCOMPARE(streamed.bytes(), pictures.at(i));
                QImage decoded;
                m_f.store->loadPicture(&decoded, ids.at(i));
                QCOMPARE(decoded.size(), JpegCodec::decode(pictures.at(i)).size());
            }
            // The other album is never touched.
            QCOMPARE(storedBytes(*m_f.store, homeId), pictures.first());
        };

        QVERIFY(m_f.store->setAlbumPassword(QStringLiteral("trip"), QStringLiteral("first")));
        QList<QByteArray> sealed;
        for (const int id : ids) {
            sealed.append(storedBytes(*m_f.store, id));
            QVERIFY(AlbumCipher::isEncrypted(sealed.last()));
        }
        originalsEverywhere(QStringLiteral("set"));

        // A closed album's key is gone: its pictures cannot be read, nor its
        // password changed, until the password is given again.
        m_f.store->forgetAlbumKey(QStringLiteral("trip"));
        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError, m_f.store->pictureData(ids.first()));
        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError,
                                 m_f.store->setAlbumPassword(QStringLiteral("trip"), QStringLiteral("x")));
        AlbumStore::PictureFailure failure;
        const QString extra = m_f.dir.filePath(QStringLiteral("extra.jpg"));
        QVERIFY(TestStore::writeFile(extra, pictures.first()));
        QVERIFY(!m_f.store->addPicture(1, extra, &failure));
        QCOMPARE(failure.kind, AlbumStore::PictureFailure::Locked);
        QVERIFY(!m_f.store->checkAlbumPassword(QStringLiteral("trip"), QStringLiteral("second")));
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("trip"), QStringLiteral("first")));

        // Changed: a new album key, every picture encrypted anew, the new
        // password only. Someone who kept the old key row and knows the old
        // password opens none of them.
        const auto keyRow = [&] {
            SqlStatement row(m_f.store->connection(),
                             QStringLiteral("SELECT KeySalt, WrappedKey FROM PicKeyTable WHERE PicLibID = 1"));
            return row.next() ? QPair<QByteArray, QByteArray>(row.blob(0), row.blob(1)) : QPair<QByteArray, QByteArray>();
        };
        const auto putKeyRow = [&](const QPair<QByteArray, QByteArray> &row) {
            SqlStatement put(m_f.store->connection(),
                             QStringLiteral("UPDATE PicKeyTable SET KeySalt = ?, WrappedKey = ? WHERE PicLibID = 1"));
            put.bindBlob(1, row.first).bindBlob(2, row.second).exec();
        };
        const QPair<QByteArray, QByteArray> oldKeyRow = keyRow();
        QVERIFY(m_f.store->setAlbumPassword(QStringLiteral("trip"), QStringLiteral("second")));
        for (int i = 0; i < ids.size(); ++i) {
            QVERIFY(AlbumCipher::isEncrypted(storedBytes(*m_f.store, ids.at(i))));
            QVERIFY(storedBytes(*m_f.store, ids.at(i)) != sealed.at(i));
        }
        QVERIFY(m_f.store->openStore(m_f.path));
        QVERIFY(!m_f.store->checkAlbumPassword(QStringLiteral("trip"), QStringLiteral("first")));
        const QPair<QByteArray, QByteArray> newKeyRow = keyRow();
        putKeyRow(oldKeyRow);
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("trip"), QStringLiteral("first")));
        for (const int id : ids)
            QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError, m_f.store->pictureData(id));
        putKeyRow(newKeyRow);
        m_f.store->forgetAlbumKey(QStringLiteral("trip"));
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("trip"), QStringLiteral("second")));
        originalsEverywhere(QStringLiteral("change"));
        // A picture added to the open album is stored encrypted too.
        QVERIFY(m_f.store->addPicture(1, extra));
        ids.append(m_f.store->findPictureId(1, QStringLiteral("extra")));
        QVERIFY(AlbumCipher::isEncrypted(storedBytes(*m_f.store, ids.last())));
        QCOMPARE(m_f.store->pictureData(ids.last()), pictures.first());
        ids.removeLast();

        // Removed: the pictures as imported again, no key left.
        QVERIFY(m_f.store->setAlbumPassword(QStringLiteral("trip"), QString()));
        QVERIFY(!m_f.store->albumHasPassword(QStringLiteral("trip")));
        for (int i = 0; i < ids.size(); ++i)
            QCOMPARE(storedBytes(*m_f.store, ids.at(i)), pictures.at(i));
        QCOMPARE(m_f.store->countWhere(QStringLiteral("PicKeyTable"), QStringLiteral("PicLibID"), QStringLiteral("1")), 0);
        QVERIFY(m_f.store->openStore(m_f.path));
        originalsEverywhere(QStringLiteral("remove"));

        // Deleting a protected album takes its key row with it.
        QVERIFY(m_f.store->setAlbumPassword(QStringLiteral("trip"), QStringLiteral("third")));
        QVERIFY(m_f.store->deleteAlbum(QStringLiteral("trip")));
        QCOMPARE(m_f.store->countWhere(QStringLiteral("PicKeyTable"), QStringLiteral("PicLibID"), QStringLiteral("1")), 0);
        QVERIFY(!m_f.store->albumKeyOpen(QStringLiteral("trip")));
    }

    // With the store file and its key, as the sqlcipher shell gives them,
    // nothing of a protected album shows: not its password, not a run of
    // 64 bytes of any of its pictures, not in any page, free pages too. An
    // unprotected album's pictures are stored as before.
    void theFileHoldsNoSecret()
    {
        const QList<QByteArray> pictures = makePictures(3, 200);
        QVERIFY(m_f.store->addAlbum(QStringLiteral("secret"), QString()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("open"), QString()));
        for (int i = 0; i < pictures.size(); ++i)
            TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("s%1").arg(i), pictures.at(i));
        const QByteArray open = makePictures(1, 120, 99).first();
        TestStore::addPictureBytes(m_f.dir, 2, QStringLiteral("o"), open);
        // The thumbnails made before the password go the same way.
        const QList<QByteArray> thumbnails = makePictures(3, 40, 70);
        QCOMPARE(m_f.store->storeThumbnails({{1, thumbnails.at(0)}, {2, thumbnails.at(1)}, {3, thumbnails.at(2)}}), 3);
        // Set after the import: the clear pages the pictures leave must not
        // stay behind in the file.
        QVERIFY(m_f.store->setAlbumPassword(QStringLiteral("secret"), QStringLiteral("OpenSesame")));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("born protected"), QStringLiteral("Sesame2")));
        // Pages written again by the connection that encrypted the pictures
        // (its cache held them with the old bytes) bring nothing back.
        TestStore::addPictureBytes(m_f.dir, 2, QStringLiteral("o2"), makePictures(1, 100, 98).first());
        QVERIFY(m_f.store->deletePicture(2, QStringLiteral("o2")));
        m_f.store->closeStore();

        const QByteArray pages = decryptedPages(m_f.path);
        // The decryption is right: the header as SQLite writes it, and the
        // unprotected picture readable.
        QCOMPARE(quint8(pages.at(0)), quint8(0x10));
        QCOMPARE(quint8(pages.at(1)), quint8(0x00));
        QVERIFY(anyRunOf(open, pages));
        QVERIFY(pages.contains("PicKeyTable"));
        for (const QByteArray &picture : pictures + thumbnails)
            QVERIFY(!anyRunOf(picture, pages));
        // Nothing is left to do for it.
        QVERIFY(m_f.store->openStore(m_f.path));
        QVERIFY_THROWS_EXCEPTION(SqlError, SqlStatement(m_f.store->connection(),
                                                        QStringLiteral("SELECT Task FROM PicPendingTable")));
        for (const char *secret : {"OpenSesame", "opensesame", "Sesame2", "sesame2"})
            QVERIFY2(!pages.contains(secret), secret);
    }

    // A picture that is not the album's own (altered, or in the clear in a
    // protected album) stops a change or a removal of the password, wherever
    // it stands among the pictures recoded side by side: nothing is
    // written, and the old password still opens every other picture.
    void aPictureNotTheAlbumsOwnStopsTheChange_data()
    {
        QTest::addColumn<int>("bad");
        QTest::addColumn<bool>("inTheClear");
        QTest::addColumn<QString>("password");
        QTest::newRow("first altered, changed") << 0 << false << QStringLiteral("new");
        QTest::newRow("middle altered, removed") << 3 << false << QString();
        QTest::newRow("last in the clear, changed") << 5 << true << QStringLiteral("new");
    }
    void aPictureNotTheAlbumsOwnStopsTheChange()
    {
        QFETCH(int, bad);
        QFETCH(bool, inTheClear);
        QFETCH(QString, password);
        QVERIFY(m_f.store->addAlbum(QStringLiteral("trip"), QStringLiteral("old")));
        const QList<QByteArray> pictures = makePictures(6, 90, 70);
        QList<int> ids;
        for (int i = 0; i < pictures.size(); ++i)
            ids.append(TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("p%1").arg(i), pictures.at(i)));
        QByteArray spoilt = storedBytes(*m_f.store, ids.at(bad));
        if (inTheClear)
            spoilt = pictures.at(bad);
        else
            spoilt[spoilt.size() / 2] = char(spoilt.at(spoilt.size() / 2) ^ 1);
        writeStored(*m_f.store, ids.at(bad), spoilt);
        QList<QByteArray> before;
        for (const int id : ids)
            before.append(storedBytes(*m_f.store, id));

        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError,
                                 m_f.store->setAlbumPassword(QStringLiteral("trip"), password));
        for (int i = 0; i < ids.size(); ++i)
            QCOMPARE(storedBytes(*m_f.store, ids.at(i)), before.at(i));
        QVERIFY(m_f.store->connection().inAutocommit());
        m_f.store->forgetAlbumKey(QStringLiteral("trip"));
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("trip"), QStringLiteral("old")));
        for (int i = 0; i < ids.size(); ++i)
            if (i != bad)
                QCOMPARE(m_f.store->pictureData(ids.at(i)), pictures.at(i));
    }

    // An album exported with its pictures read ahead on other threads: the
    // files in the album's order, each as imported; a picture that does not
    // decrypt stops the export there, with every picture before it written
    // and none after.
    void exportReadsAheadInOrder()
    {
        QVERIFY(m_f.store->addAlbum(QStringLiteral("trip"), QStringLiteral("pw")));
        const QList<QByteArray> pictures = makePictures(7, 120, 60);
        QList<int> ids;
        for (int i = 0; i < pictures.size(); ++i)
            ids.append(TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("p%1").arg(i), pictures.at(i)));
        QList<int> told;
        const auto tell = [&](int id) { told.append(id); };
        const QString whole = m_f.dir.filePath(QStringLiteral("whole"));
        QVERIFY(QDir().mkpath(whole));
        QCOMPARE(m_f.store->exportPictureFiles(ids, whole, tell), 7);
        QCOMPARE(told, ids);
        for (int i = 0; i < pictures.size(); ++i)
            QCOMPARE(TestStore::readFile(whole + QStringLiteral("/p%1.jpg").arg(i)), pictures.at(i));

        QByteArray damaged = storedBytes(*m_f.store, ids.at(4));
        damaged[damaged.size() / 2] = char(damaged.at(damaged.size() / 2) ^ 1);
        writeStored(*m_f.store, ids.at(4), damaged);
        const QString cut = m_f.dir.filePath(QStringLiteral("cut"));
        QVERIFY(QDir().mkpath(cut));
        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError, m_f.store->exportPictureFiles(ids, cut, {}));
        QCOMPARE(QDir(cut).entryList(QDir::Files),
                 (QStringList{QStringLiteral("p0.jpg"), QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg"),
                              QStringLiteral("p3.jpg")}));
    }

    // Clearing the file after an encryption is written with the engine's
    // own journal: killed half way, the journal is played back at the next
    // read (the file whole, as before the clearing, with the clearing still
    // to do), and the next opening clears the file.
    void aKilledClearingIsPlayedBack()
    {
        // Two albums' pictures side by side in the table, some of each
        // deleted: the rows of the album to protect were moved by page splits
        // and merges and left bytes behind in free blocks and free pages.
        QVERIFY(m_f.store->addAlbum(QStringLiteral("secret"), QString()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("open"), QString()));
        const QList<QByteArray> secret = makePictures(10, 150, 10);
        const QList<QByteArray> open = makePictures(10, 130, 40);
        QList<int> secretIds, openIds;
        for (int i = 0; i < 10; ++i) {
            secretIds.append(TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("s%1").arg(i), secret.at(i)));
            openIds.append(TestStore::addPictureBytes(m_f.dir, 2, QStringLiteral("o%1").arg(i), open.at(i)));
        }
        for (int i : {2, 5, 6}) {
            QVERIFY(m_f.store->deletePicture(1, QStringLiteral("s%1").arg(i)));
            QVERIFY(m_f.store->deletePicture(2, QStringLiteral("o%1").arg(i)));
        }
        m_f.store->closeStore();

        const QString journal = m_f.path + QStringLiteral("-journal");
        QCOMPARE(QProcess::execute(QStringLiteral(QUILBO_ALBUMPASSWORD),
                                   {QStringLiteral("--least-cost"), QStringLiteral("--killed-after-pages"),
                                    QStringLiteral("2"), m_f.path, QStringLiteral("secret"), QString(),
                                    QStringLiteral("pw")}),
                 137);
        // The journal as the engine reads it: a header of 4096 bytes, then
        // each page's number, bytes and checksum.
        const QByteArray journalled = TestStore::readFile(journal);
        constexpr int kPage = StoreSchema::CipherPageSize;
        const auto number = [](const char *at) { return qFromBigEndian<quint32>(at); };
        QCOMPARE(qsizetype(4096 + number(journalled.constData() + 8) * (kPage + 8)), journalled.size());
        QVERIFY(number(journalled.constData() + 8) > 2);
        {
            SqlConnection db;
            db.open(m_f.path);
            StoreSchema::keyConnection(db);
            SqlStatement check(db, QStringLiteral("PRAGMA integrity_check"));
            QVERIFY(check.next());
            QCOMPARE(check.text(0), QStringLiteral("ok"));
            QVERIFY(!QFile::exists(journal));
            QCOMPARE(StorePages::findDamage(db), QString());
            SqlStatement pending(db, QStringLiteral("SELECT count(*) FROM PicPendingTable"));
            QVERIFY(pending.next());
            QCOMPARE(pending.int64(0), 1);
        }
        const QByteArray file = TestStore::readFile(m_f.path);
        for (qsizetype at = 4096; at < journalled.size(); at += kPage + 8) {
            const qint64 page = number(journalled.constData() + at);
            QCOMPARE(file.mid((page - 1) * kPage, kPage), journalled.mid(at + 4, kPage));
        }
        // There was something to clear: the file played back still holds
        // bytes of the album's pictures (of those deleted, in free pages).
        const QByteArray before = decryptedPages(m_f.path);
        QVERIFY(std::any_of(secret.begin(), secret.end(), [&](const QByteArray &p) { return anyRunOf(p, before); }));

        QVERIFY(m_f.store->openStore(m_f.path));
        QVERIFY_THROWS_EXCEPTION(SqlError, SqlStatement(m_f.store->connection(),
                                                        QStringLiteral("SELECT Task FROM PicPendingTable")));
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("secret"), QStringLiteral("pw")));
        SqlStatement check(m_f.store->connection(), QStringLiteral("PRAGMA integrity_check"));
        QVERIFY(check.next());
        QCOMPARE(check.text(0), QStringLiteral("ok"));
        for (int i : {0, 1, 3, 4, 7, 8, 9}) {
            QCOMPARE(m_f.store->pictureData(secretIds.at(i)), secret.at(i));
            QCOMPARE(m_f.store->pictureData(openIds.at(i)), open.at(i));
        }
        TestStore::addPictureBytes(m_f.dir, 2, QStringLiteral("later"), makePictures(1, 140, 90).first());
        QVERIFY(m_f.store->deletePicture(2, QStringLiteral("o0")));
        m_f.store->closeStore();
        const QByteArray pages = decryptedPages(m_f.path);
        for (int i = 0; i < secret.size(); ++i)
            QVERIFY2(!anyRunOf(secret.at(i), pages), qPrintable(QString::number(i)));
        QVERIFY(anyRunOf(open.at(9), pages));
        // Every page, free ones too, carries its code.
        QVERIFY(m_f.store->openStore(m_f.path));
        QCOMPARE(StorePages::findDamage(m_f.store->connection()), QString());
    }

    // A stored picture moved to another row, cut short or with a byte
    // changed is refused with a clear message, never shown or exported as
    // something else.
    void tamperingIsCaught_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("moved from another picture") << "moved";
        QTest::newRow("a byte of the header flipped") << "header";
        QTest::newRow("a byte of the middle flipped") << "middle";
        QTest::newRow("a byte of the last tag flipped") << "tail";
        QTest::newRow("the last chunk cut off") << "cut";
        QTest::newRow("the last chunk repeated") << "repeated";
        QTest::newRow("the marker alone") << "marker";
        QTest::newRow("planted in the clear") << "clear";
    }
    void tamperingIsCaught()
    {
        QFETCH(QString, change);
        const QList<QByteArray> pictures = makePictures(2, 640);
        QVERIFY(m_f.store->addAlbum(QStringLiteral("trip"), QStringLiteral("pw")));
        const int first = TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("a"), pictures.at(0));
        const int second = TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("b"), pictures.at(1));
        QByteArray bytes = storedBytes(*m_f.store, second);
        QVERIFY(bytes.size() > 3 * AlbumCipher::Decryptor::StoredChunk);
        const qsizetype lastChunk = AlbumCipher::HeaderSize
                                    + (bytes.size() - AlbumCipher::HeaderSize) / AlbumCipher::Decryptor::StoredChunk
                                          * AlbumCipher::Decryptor::StoredChunk;
        if (change == QLatin1String("moved"))
            bytes = storedBytes(*m_f.store, first);
        else if (change == QLatin1String("header"))
            bytes[10] = char(bytes.at(10) ^ 1);
        else if (change == QLatin1String("middle"))
            bytes[bytes.size() / 2] = char(bytes.at(bytes.size() / 2) ^ 0x40);
        else if (change == QLatin1String("tail"))
            bytes[bytes.size() - 1] = char(bytes.at(bytes.size() - 1) ^ 1);
        else if (change == QLatin1String("cut"))
            bytes.truncate(lastChunk);
        else if (change == QLatin1String("repeated"))
            bytes.insert(lastChunk, bytes.mid(lastChunk - AlbumCipher::Decryptor::StoredChunk,
                                              AlbumCipher::Decryptor::StoredChunk));
        else if (change == QLatin1String("clear"))
            bytes = pictures.at(1);
        else
            bytes.truncate(4);
        writeStored(*m_f.store, second, bytes);

        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError, m_f.store->pictureData(second));
        StreamedBytes streamed;
        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError,
                                 m_f.store->streamPictureData(second, streamed, [] { return true; }));
        QVERIFY(streamed.bytes().isNull());
        const QString folder = m_f.dir.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError, m_f.store->exportPictureFile(second, folder));
        QVERIFY(!QFile::exists(folder + QStringLiteral("/b.jpg")));
        try {
            m_f.store->pictureData(second);
        } catch (const AlbumCipher::CipherError &e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("相片数据已损坏或被改动,无法读取!"));
        }
        // The untouched picture still reads.
        QCOMPARE(m_f.store->pictureData(first), pictures.at(0));
    }

    // A protected album whose protection was altered by anything that can
    // write the file is damaged: refused at once, before any key derivation
    // (none of these settings is ever run), and nothing is written to it.
    void alteredProtectionIsDamage_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("key row gone") << "DELETE FROM PicKeyTable WHERE PicLibID = 1";
        QTest::newRow("verifier taking forever")
            << "UPDATE PicLibTable SET PicPass = '$argon2id$v=19$m=1048576,t=4294967295,p=1$c29tZXNhbHRzb21lc2FsdA$"
               "aGFzaGhhc2hoYXNoaGFzaGhhc2hoYXNoaGFzaGhhc2g' WHERE PicLibID = 1";
        QTest::newRow("verifier with 64 passes at 1 GiB")
            << "UPDATE PicLibTable SET PicPass = '$argon2id$v=19$m=1048576,t=64,p=1$c29tZXNhbHRzb21lc2FsdA$"
               "aGFzaGhhc2hoYXNoaGFzaGhhc2hoYXNoaGFzaGhhc2g' WHERE PicLibID = 1";
        QTest::newRow("key row taking forever") << "UPDATE PicKeyTable SET KeyOps = 4294967295, KeyMem = 1073741824";
        QTest::newRow("key row with one pass more") << "UPDATE PicKeyTable SET KeyOps = KeyOps + 1";
    }
    void alteredProtectionIsDamage()
    {
        QFETCH(QString, statement);
        const QByteArray picture = makePictures(1, 64).first();
        QVERIFY(m_f.store->addAlbum(QStringLiteral("trip"), QStringLiteral("pw")));
        const int id = TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("p"), picture);
        const QByteArray sealed = storedBytes(*m_f.store, id);
        m_f.store->forgetAlbumKey(QStringLiteral("trip"));
        m_f.store->connection().execFixed(statement.toUtf8().constData());

        const bool peakKnown = TestStore::resetMemoryPeak();
        const qint64 resident = TestStore::memoryKb("VmRSS:");
        try {
            m_f.store->checkAlbumPassword(QStringLiteral("trip"), QStringLiteral("pw"));
            QFAIL("an album whose protection was altered must be refused");
        } catch (const AlbumCipher::CipherError &e) {
            QVERIFY2(QString::fromUtf8(e.what()).startsWith(QStringLiteral("相册“trip”的密码数据已损坏或被改动")), e.what());
        }
        // No derivation was run: it alone takes 64 MB.
        if (peakKnown)
            QVERIFY(TestStore::memoryKb("VmHWM:") - resident < 32 * 1024);
        QVERIFY(!m_f.store->albumKeyOpen(QStringLiteral("trip")));

        // Nothing is written to it: no picture, no password.
        const QString file = m_f.dir.filePath(QStringLiteral("more.jpg"));
        QVERIFY(TestStore::writeFile(file, picture));
        AlbumStore::PictureFailure failure;
        QVERIFY(!m_f.store->addPicture(1, file, &failure));
        QCOMPARE(failure.kind, AlbumStore::PictureFailure::Locked);
        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError,
                                 m_f.store->setAlbumPassword(QStringLiteral("trip"), QStringLiteral("new")));
        QCOMPARE(m_f.store->countWhere(QStringLiteral("PicInfoTable"), QStringLiteral("PicLibID"), QStringLiteral("1")), 1);
        QCOMPARE(storedBytes(*m_f.store, id), sealed);
    }

    // With the window's runner, the key derivation of a password check
    // runs off the window's thread: the window's events go on meanwhile.
    void keyDerivationLeavesTheWindowAnswering()
    {
        // At the program's own cost, long enough to be waited for.
        AlbumCipher::useLeastCostForTests(false);
        QVERIFY(m_f.store->addAlbum(QStringLiteral("trip"), QStringLiteral("pw")));
        m_f.store->forgetAlbumKey(QStringLiteral("trip"));
        m_f.store->setWorkRunner(runOffThread);
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
        tick.start(1);
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("trip"), QStringLiteral("pw")));
        tick.stop();
        m_f.store->setWorkRunner(nullptr);
        QVERIFY2(ticks > 0, "the window's events waited for the derivation");
        QVERIFY(m_f.store->albumKeyOpen(QStringLiteral("trip")));
    }

    // Killed at any moment while a password is set or removed, the album is
    // found in the old state or the new, every picture readable as imported.
    void killedSetOrRemoveLeavesOneStateOrTheOther()
    {
        const QList<QByteArray> pictures = makePictures(12, 360);
        QVERIFY(m_f.store->addAlbum(QStringLiteral("trip"), QString()));
        QList<int> ids;
        for (int i = 0; i < pictures.size(); ++i)
            ids.append(TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("p%1").arg(i), pictures.at(i)));
        m_f.store->closeStore();
        const QString tool = QStringLiteral(QUILBO_ALBUMPASSWORD);
        QElapsedTimer timer;
        timer.start();
        // Its keys at the least cost, as the test's own: the time goes to
        // what is killed, not to key derivations.
        const QString cheap = QStringLiteral("--least-cost");
        QCOMPARE(QProcess::execute(tool, {cheap, m_f.path, QStringLiteral("trip"), QString(), QStringLiteral("pw")}), 0);
        QCOMPARE(QProcess::execute(tool, {cheap, m_f.path, QStringLiteral("trip"), QStringLiteral("pw"), QString()}), 0);
        const int span = int(timer.elapsed()) + 20;
        QRandomGenerator rng(20261210);
        int states[2] = {0, 0};
        for (int trial = 0; trial < 30; ++trial) {
            QVERIFY(m_f.store->openStore(m_f.path));
            const bool wasProtected = m_f.store->albumHasPassword(QStringLiteral("trip"));
            m_f.store->closeStore();
            QProcess child;
            child.start(tool, {cheap, m_f.path, QStringLiteral("trip"), wasProtected ? QStringLiteral("pw") : QString(),
                               wasProtected ? QString() : QStringLiteral("pw")});
            QVERIFY(child.waitForStarted());
            QTest::qSleep(int(rng.bounded(span)));
            child.kill(); // SIGKILL
            child.waitForFinished();

            QVERIFY(m_f.store->openStore(m_f.path));
            const bool isProtected = m_f.store->albumHasPassword(QStringLiteral("trip"));
            ++states[isProtected == wasProtected ? 0 : 1];
            if (isProtected)
                QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("trip"), QStringLiteral("pw")));
            for (int i = 0; i < ids.size(); ++i) {
                QCOMPARE(AlbumCipher::isEncrypted(storedBytes(*m_f.store, ids.at(i))), isProtected);
                QCOMPARE(m_f.store->pictureData(ids.at(i)), pictures.at(i));
            }
            m_f.store->closeStore();
        }
        qInfo("of 30 killed runs, %d left the old state and %d the new", states[0], states[1]);
    }

    // A store of the older version (the password kept as text, pictures in
    // the clear, no key table) is converted when it is opened, and the
    // password still opens the album; a converted store is left alone.
    void olderStoreIsConvertedOnOpening()
    {
        const QList<QByteArray> pictures = makePictures(2, 100);
        QVERIFY(m_f.store->addAlbum(QStringLiteral("trip"), QString()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("blank"), QString()));
        QList<int> ids;
        for (int i = 0; i < pictures.size(); ++i)
            ids.append(TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("p%1").arg(i), pictures.at(i)));
        SqlConnection &db = m_f.store->connection();
        db.execFixed("UPDATE PicLibTable SET PicPass = 'Secret' WHERE PicLibID = 1");
        db.execFixed("UPDATE PicLibTable SET PicPass = '   ' WHERE PicLibID = 2");
        db.execFixed("DROP TABLE PicKeyTable");
        db.execFixed("PRAGMA user_version = 1");
        // As an older version reads it, before any conversion.
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("trip"), QStringLiteral("secret")));
        QCOMPARE(m_f.store->pictureData(ids.first()), pictures.first());

        QVERIFY(m_f.store->openStore(m_f.path));
        const QString verifier = storedPassword(*m_f.store, QStringLiteral("trip"));
        QVERIFY(AlbumCipher::isVerifier(verifier));
        QCOMPARE(storedPassword(*m_f.store, QStringLiteral("blank")), QStringLiteral("   "));
        {
            SqlStatement version(m_f.store->connection(), QStringLiteral("PRAGMA user_version"));
            QVERIFY(version.next());
            QCOMPARE(int(version.int64(0)), StoreSchema::SchemaVersion);
        }
        for (const int id : ids)
            QVERIFY(AlbumCipher::isEncrypted(storedBytes(*m_f.store, id)));
        QVERIFY(!m_f.store->checkAlbumPassword(QStringLiteral("trip"), QStringLiteral("other")));
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("trip"), QStringLiteral("SECRET")));
        for (int i = 0; i < ids.size(); ++i)
            QCOMPARE(m_f.store->pictureData(ids.at(i)), pictures.at(i));

        QVERIFY(m_f.store->openStore(m_f.path));
        QCOMPARE(storedPassword(*m_f.store, QStringLiteral("trip")), verifier);
    }

    // In the window: the key is opened by the password that opens the
    // album, its pictures show, and the key goes when the album closes or
    // the tree is refreshed.
    void keysLiveWhileTheAlbumIsOpen()
    {
        FormFixture::makeAlbums(m_f);
        QVERIFY(m_f.store->checkAlbumPassword(QStringLiteral("secret"), QStringLiteral("pw1")));
        const int second = TestStore::addPictureBytes(
            m_f.dir, 2, QStringLiteral("second"), JpegFixtures::make(JpegFixtures::quarters(32, 24), JpegFixtures::Kind::Baseline));
        auto form = FormFixture::open(m_f);
        QModelIndex secret = FormFixture::albumNode(*form, QStringLiteral("secret"));
        FormFixture::expand(*form, FormFixture::root(*form));
        m_f.prompts->queuePassword(QStringLiteral("pw1"));
        FormFixture::expand(*form, secret);
        QVERIFY(FormFixture::isExpanded(*form, secret));
        QVERIFY(m_f.store->albumKeyOpen(QStringLiteral("secret")));
        m_f.prompts->messages.clear(); // the question
        FormFixture::tree(*form)->setCurrentIndex(FormFixture::child(secret, 0));
        FormFixture::settle(*form);
        QCOMPARE(FormFixture::view(*form)->pictureSize(), QSize(64, 48));
        QCOMPARE(m_f.prompts->messages.size(), 0);

        // Closed, the album keeps nothing in the window: not the picture
        // shown, nor its bytes, nor the one decoded ahead.
        QTRY_VERIFY(!FormFixture::viewer(*form)->prefetchCache()->findData(second).isNull());
        const int hidden = m_f.store->findPictureId(2, QStringLiteral("hidden"));
        QVERIFY(!FormFixture::viewer(*form)->prefetchCache()->findData(hidden).isNull());
        FormFixture::collapse(*form, secret);
        QVERIFY(!m_f.store->albumKeyOpen(QStringLiteral("secret")));
        QVERIFY(FormFixture::view(*form)->picture().isNull());
        QVERIFY(FormFixture::viewer(*form)->loadedPicture().isNull());
        QVERIFY(FormFixture::viewer(*form)->prefetchCache()->findData(second).isNull());
        QVERIFY(FormFixture::viewer(*form)->prefetchCache()->findData(hidden).isNull());
        m_f.prompts->queuePassword(QStringLiteral("pw1"));
        FormFixture::expand(*form, secret);
        QVERIFY(m_f.store->albumKeyOpen(QStringLiteral("secret")));
        form->action("refreshAction")->trigger();
        QVERIFY(!m_f.store->albumKeyOpen(QStringLiteral("secret")));
    }

    // In the window, a protected picture that does not decrypt is told in
    // a message and nothing is shown for it.
    void aDamagedPictureIsToldNotShown()
    {
        FormFixture::makeAlbums(m_f);
        const int hidden = m_f.store->findPictureId(2, QStringLiteral("hidden"));
        QByteArray bytes = storedBytes(*m_f.store, hidden);
        bytes[bytes.size() - 3] = char(bytes.at(bytes.size() - 3) ^ 0x10);
        writeStored(*m_f.store, hidden, bytes);
        auto form = FormFixture::open(m_f);
        FormFixture::expand(*form, FormFixture::root(*form));
        QModelIndex secret = FormFixture::albumNode(*form, QStringLiteral("secret"));
        m_f.prompts->queuePassword(QStringLiteral("pw1"));
        FormFixture::expand(*form, secret);
        m_f.prompts->messages.clear(); // the question
        FormFixture::tree(*form)->setCurrentIndex(FormFixture::child(secret, 0));
        FormFixture::settle(*form);
        QCOMPARE(m_f.prompts->messages.size(), 1);
        QCOMPARE(m_f.prompts->messages.first().text, QStringLiteral("相片数据已损坏或被改动,无法读取!"));
        QVERIFY(FormFixture::view(*form)->picture().isNull());
        m_f.prompts->messages.clear();
    }

    // quilbo --export-album writes the original files, asking a protected
    // album's password on the terminal; a wrong one writes nothing.
    void exportFromTheTerminal()
    {
        const QList<QByteArray> pictures = makePictures(2, 80);
        QVERIFY(m_f.store->addAlbum(QStringLiteral("旅行"), QStringLiteral("pw")));
        for (int i = 0; i < pictures.size(); ++i)
            TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("p%1").arg(i), pictures.at(i));
        m_f.store->closeStore();
        const auto run = [&](const QString &password, const QString &folder) {
            QProcess program;
            program.start(QStringLiteral(QUILBO_PROGRAM),
                          {QStringLiteral("--store"), m_f.path, QStringLiteral("--export-album"), QStringLiteral("旅行"),
                           folder});
            program.write(password.toUtf8() + '\n');
            program.closeWriteChannel();
            program.waitForFinished();
            return program.exitCode();
        };
        const QString wrong = m_f.dir.filePath(QStringLiteral("wrong"));
        QCOMPARE(run(QStringLiteral("nope"), wrong), 1);
        QVERIFY(QDir(wrong).entryList(QDir::Files).isEmpty());
        const QString out = m_f.dir.filePath(QStringLiteral("rescued"));
        QCOMPARE(run(QStringLiteral(" PW "), out), 0);
        // The decrypted pictures are the user's alone, in a folder that is.
        QCOMPARE(modeOf(out), 0700u);
        for (int i = 0; i < pictures.size(); ++i) {
            QCOMPARE(TestStore::readFile(out + QStringLiteral("/p%1.jpg").arg(i)), pictures.at(i));
            QCOMPARE(modeOf(out + QStringLiteral("/p%1.jpg").arg(i)), 0600u);
        }
    }

    // The rescue export writes nowhere a link points, and replaces no file.
    void exportFromTheTerminalFollowsNoLink_data()
    {
        QTest::addColumn<QString>("target"); // beside elsewhere, and a link to it
        QTest::addColumn<QStringList>("written"); // what the elsewhere folder holds afterwards
        QTest::newRow("a link") << "link" << QStringList();
        QTest::newRow("a link, with a slash") << "link/" << QStringList();
        QTest::newRow("a link in the middle") << "link/sub" << QStringList();
        QTest::newRow("a file there already") << "elsewhere" << QStringList{"p0.jpg", "p1.jpg"};
    }
    void exportFromTheTerminalFollowsNoLink()
    {
        QFETCH(QString, target);
        QFETCH(QStringList, written);
        const QList<QByteArray> pictures = makePictures(2, 40);
        QVERIFY(m_f.store->addAlbum(QStringLiteral("trip"), QString()));
        for (int i = 0; i < pictures.size(); ++i)
            TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("p%1").arg(i), pictures.at(i));
        m_f.store->closeStore();
        QTemporaryDir place;
        const QString elsewhere = place.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(TestStore::writeFile(elsewhere + QStringLiteral("/p0.jpg"), "the user's own"));
        QVERIFY(QFile::link(elsewhere, place.filePath(QStringLiteral("link"))));
        QProcess program;
        program.start(QStringLiteral(QUILBO_PROGRAM), {QStringLiteral("--store"), m_f.path, QStringLiteral("--export-album"),
                                                       QStringLiteral("trip"), place.filePath(target)});
        QVERIFY(program.waitForFinished());
        QCOMPARE(program.exitCode(), 1);
        QStringList there = QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        there.sort();
        QCOMPARE(there, written.isEmpty() ? QStringList{QStringLiteral("p0.jpg")} : written);
        QCOMPARE(TestStore::readFile(elsewhere + QStringLiteral("/p0.jpg")), QByteArray("the user's own"));
        if (!written.isEmpty()) {
            QCOMPARE(TestStore::readFile(elsewhere + QStringLiteral("/p1.jpg")), pictures.at(1));
            QVERIFY(QString::fromLocal8Bit(program.readAllStandardError()).contains(QStringLiteral("p0.jpg (文件已经存在,没有替换)")));
        }
    }

    // Nothing decrypted or typed ends up in a core file: the program runs
    // without core dumps.
    void noCoreDumps()
    {
        QVERIFY(m_f.store->addAlbum(QStringLiteral("trip"), QStringLiteral("pw")));
        m_f.store->closeStore();
        QProcess program;
        program.start(QStringLiteral(QUILBO_PROGRAM), {QStringLiteral("--store"), m_f.path, QStringLiteral("--export-album"),
                                                       QStringLiteral("trip"), m_f.dir.filePath(QStringLiteral("out"))});
        QVERIFY(program.waitForStarted());
        // Asking for the password: well past its start.
        QByteArray said;
        QTRY_VERIFY((said += program.readAllStandardError()).contains(QStringLiteral("请输入密码").toUtf8()));
        const QByteArray limits = TestStore::readFile(QStringLiteral("/proc/%1/limits").arg(program.processId()));
        program.closeWriteChannel();
        program.waitForFinished();
        const QByteArray line = limits.mid(limits.indexOf("Max core file size"), 80);
        QVERIFY2(line.simplified().startsWith("Max core file size 0 0"), line.constData());
    }

private:
    static unsigned modeOf(const QString &path)
    {
        struct stat info = {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
    }

    TestStore::Fixture m_f;
};

QTEST_MAIN(TestProtection)
#include "test_protection.moc"
