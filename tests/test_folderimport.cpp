// Importing folders and many files: what is stored of a folder's contents
// and what the summary says, duplicates recognised by their kept hashes,
// names taken, the order taken, an import cut off finished by a second run,
// and the terminal's --import with its exit status.
#include "AlbumCipher.h"
#include "FolderImportDialog.h"
#include "FormFixture.h"
#include "Modal.h"
#include "JpegFixtures.h"
#include "PictureCodec.h"
#include "PictureImport.h"
#include "StreamedBytes.h"
#include "Thumbnail.h"
#include "StoreSchema.h"
#include "TestStore.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QImageWriter>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using JpegFixtures::Kind;

namespace {

QByteArray photo(int seed, const char *taken = "")
{
    QByteArray jpeg = JpegFixtures::make(JpegFixtures::noisy(48, 32, unsigned(seed)), Kind::Baseline);
    return *taken ? JpegFixtures::withExifFacts(jpeg, taken, "", "") : jpeg;
}

QStringList namesOf(AlbumStore &store, int albumId)
{
    QStringList names;
    store.listPictureNames(albumId, &names);
    return names;
}

qint64 hashRows(AlbumStore &store)
{
    SqlStatement q(store.connection(), QStringLiteral("SELECT count(*) FROM PicHashTable"));
    return q.next() ? q.int64(0) : -1;
}

} // namespace

class TestFolderImport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { AlbumCipher::useLeastCostForTests(true); }
    void init() { QVERIFY(m_f.setUp()); }
    void cleanup() { m_f.tearDown(); }

    // A card's folder: nested folders, pictures with and without a date
    // taken, a text file named .jpg, an empty file, an identical copy under
    // another name, a different picture under a name the album has.
    void folderContents()
    {
        AlbumStore &store = *m_f.store;
        QVERIFY(store.addAlbum(QStringLiteral("card"), QString()));
        TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("IMG_0002"), photo(90));
        const QString card = m_f.dir.filePath(QStringLiteral("card"));
        const QList<std::pair<QString, QByteArray>> files = {
            {"DCIM/100/IMG_0010.jpg", photo(1, "2024:05:01 10:00:00")},
            {"DCIM/100/IMG_0009.jpg", photo(2, "2024:05:01 09:00:00")},
            {"DCIM/101/IMG_0001.jpg", photo(3)},
            {"DCIM/101/IMG_0002.jpg", photo(4)},                        // the album has that name
            {"DCIM/101/copy of 9.jpg", photo(2, "2024:05:01 09:00:00")}, // the same bytes as IMG_0009
            {"notes.jpg", "just text"},
            {"empty.jpg", ""},
            {"more/deeper/IMG_0100.jpg", photo(5)},
        };
        for (const auto &[path, bytes] : files) {
            QVERIFY(QDir().mkpath(QFileInfo(card + QLatin1Char('/') + path).absolutePath()));
            QVERIFY(TestStore::writeFile(card + QLatin1Char('/') + path, bytes));
        }
        QList<PictureImport::LeftOut> missing;
        const QStringList collected =
            PictureImport::collectFiles({card, m_f.dir.filePath(QStringLiteral("gone"))}, &missing);
        QCOMPARE(collected.size(), files.size());
        QCOMPARE(missing.size(), 1);
        // Taken first by their dates, the rest by name.
        const QString nine = QFileInfo(collected.at(0)).completeBaseName();
        QVERIFY(QStringList({"IMG_0009", "copy of 9"}).contains(nine));
        QCOMPARE(QFileInfo(collected.at(2)).fileName(), QStringLiteral("IMG_0010.jpg"));
        QCOMPARE(QFileInfo(collected.at(6)).fileName(), QStringLiteral("IMG_0100.jpg"));

        QList<int> told;
        const PictureImport::Summary summary =
            PictureImport::run(store, 1, collected, [&](int done, int total, const QString &) {
                told.append(done);
                return total == int(files.size());
            });
        QCOMPARE(told.size(), files.size());
        QCOMPARE(summary.imported, 5);
        QCOMPARE(summary.duplicates, 1);
        QCOMPARE(summary.renamed, QStringList{QStringLiteral("IMG_0002 -> IMG_0002 (2)")});
        QCOMPARE(summary.leftOut.size(), 2);
        QVERIFY(!summary.complete());
        const QString text = summary.text();
        for (const char *expected : {"导入了 5 张图片", "1 张图片相册中已有", "notes.jpg", "empty.jpg", "IMG_0002 (2)"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QCOMPARE(namesOf(store, 1), (QStringList{"IMG_0002", nine, "IMG_0010", "IMG_0001", "IMG_0002 (2)", "IMG_0100"}));
        QCOMPARE(store.pictureData(store.findPictureId(1, QStringLiteral("IMG_0100"))), files.last().second);

        // Again: nothing new, and it says so.
        const PictureImport::Summary again = PictureImport::run(store, 1, collected);
        QCOMPARE(again.imported, 0);
        QCOMPARE(again.duplicates, 6);
        QVERIFY(again.text().startsWith(QStringLiteral("导入了 0 张图片。\n6 张图片相册中已有")));
        QCOMPARE(namesOf(store, 1).size(), 6);
    }

    // Without dates, by name as a person reads it: numbers by their value,
    // letter case aside, in whatever locale the program runs (the C locale's
    // collation knows no numbers).
    void namesInTheOrderPeopleRead()
    {
        const QString folder = m_f.dir.filePath(QStringLiteral("names"));
        QVERIFY(QDir().mkpath(folder));
        for (const char *name : {"IMG_10.jpg", "img_1.jpg", "IMG_2.jpg", "IMG_9 b.jpg"})
            QVERIFY(TestStore::writeFile(folder + QLatin1Char('/') + QLatin1String(name), photo(1)));
        QStringList names;
        for (const QString &file : PictureImport::collectFiles({folder}, nullptr))
            names.append(QFileInfo(file).fileName());
        QCOMPARE(names, (QStringList{"img_1.jpg", "IMG_2.jpg", "IMG_9 b.jpg", "IMG_10.jpg"}));
    }

    // Cut off half way (cancelled here; a full disk or a kill leaves the
    // same: each picture its own transaction), the same import run again
    // stores the rest.
    void aCutOffImportIsFinishedByRunningItAgain()
    {
        AlbumStore &store = *m_f.store;
        QVERIFY(store.addAlbum(QStringLiteral("trip"), QString()));
        QStringList files;
        for (int i = 0; i < 6; ++i) {
            files.append(m_f.dir.filePath(QStringLiteral("p%1.jpg").arg(i)));
            QVERIFY(TestStore::writeFile(files.last(), photo(10 + i)));
        }
        // Read ahead: the file after the last stored is read, not stored.
        const PictureImport::Summary cut =
            PictureImport::run(store, 1, files, [](int done, int, const QString &) { return done < 3; },
                               PictureImport::ReadAhead::OnAnotherThread);
        QVERIFY(cut.cancelled);
        QCOMPARE(cut.imported, 3);
        QVERIFY(cut.text().contains(QStringLiteral("导入已取消")));
        const PictureImport::Summary rest = PictureImport::run(store, 1, files);
        QCOMPARE(rest.imported, 3);
        QCOMPARE(rest.duplicates, 3);
        QVERIFY(rest.complete());
        QCOMPARE(namesOf(store, 1), (QStringList{"p0", "p1", "p2", "p3", "p4", "p5"}));
    }

    // Hashes are kept with the pictures: those of an older version's
    // pictures made once, a protected album's keyed (and keyed anew with a
    // new password), removed with their pictures.
    void hashesAreKeptWithThePictures()
    {
        AlbumStore &store = *m_f.store;
        QVERIFY(store.addAlbum(QStringLiteral("old"), QString()));
        const QByteArray first = photo(20);
        const int id = TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("a"), first);
        QCOMPARE(hashRows(store), 1);
        // As an older version stored it: no hash.
        store.connection().execFixed("DELETE FROM PicHashTable");
        QCOMPARE(store.hashAlbumPictures(1), 1);
        QCOMPARE(store.hashAlbumPictures(1), 0);
        QCOMPARE(store.contentHash(1, first), QCryptographicHash::hash(first, QCryptographicHash::Sha256));
        // An older version's hashes, of another kind, are forgotten when the
        // store opens (once), and made again as missing ones.
        for (const char *older : {"PRAGMA user_version = 2", "PRAGMA user_version = 0"}) {
            store.connection().execFixed("UPDATE PicHashTable SET Hash = zeroblob(32)");
            store.connection().execFixed(older);
            QVERIFY(store.openStore(m_f.path));
            QCOMPARE(hashRows(store), 0);
            {
                SqlStatement version(store.connection(), QStringLiteral("PRAGMA user_version"));
                QVERIFY(version.next());
                QCOMPARE(int(version.int64(0)), StoreSchema::SchemaVersion);
            }
            QCOMPARE(store.hashAlbumPictures(1), 1);
            QVERIFY(store.albumHoldsHash(1, store.contentHash(1, first)));
            QVERIFY(store.openStore(m_f.path));
            QCOMPARE(hashRows(store), 1);
        }
        // Stopped part way, what was hashed stays; an import hashes the rest
        // first, telling it with no file.
        for (int i = 0; i < 40; ++i)
            TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("more%1").arg(i), photo(100 + i));
        store.connection().execFixed("DELETE FROM PicHashTable");
        QCOMPARE(store.hashAlbumPictures(1, [](int done, int) { return done == 0; }), 32);
        QCOMPARE(hashRows(store), 32);
        QList<int> told;
        const PictureImport::Summary none = PictureImport::run(store, 1, {}, [&](int, int total, const QString &file) {
            if (file.isEmpty())
                told.append(total);
            return true;
        });
        QCOMPARE(told, QList<int>{9});
        QCOMPARE(hashRows(store), 41);
        QVERIFY(none.complete());
        for (int i = 0; i < 40; ++i)
            QVERIFY(store.deletePicture(1, QStringLiteral("more%1").arg(i)));
        QVERIFY(store.albumHoldsHash(1, store.contentHash(1, first)));

        const QByteArray plain = store.contentHash(1, first);
        QVERIFY(store.setAlbumPassword(QStringLiteral("old"), QStringLiteral("pw")));
        const QByteArray keyed = store.contentHash(1, first);
        QVERIFY(keyed != plain);
        QVERIFY(store.albumHoldsHash(1, keyed));
        QVERIFY(!store.albumHoldsHash(1, plain));
        QVERIFY(store.setAlbumPassword(QStringLiteral("old"), QStringLiteral("other")));
        QVERIFY(store.contentHash(1, first) != keyed);
        QVERIFY(store.albumHoldsHash(1, store.contentHash(1, first)));
        store.forgetAlbumKey(QStringLiteral("old"));
        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError, store.contentHash(1, first));
        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError, PictureImport::run(store, 1, {}));

        QVERIFY(store.checkAlbumPassword(QStringLiteral("old"), QStringLiteral("other")));
        QVERIFY(store.deletePicture(1, QStringLiteral("a")));
        QCOMPARE(hashRows(store), 0);
        Q_UNUSED(id);
    }

    // As the window imports: each picture stored with its thumbnail, made
    // from the bytes read (a protected album's encrypted with its key);
    // a picture already there, or what is no picture, gets none.
    void thumbnailsComeWithThePictures_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("open album") << QString();
        QTest::newRow("protected album") << QStringLiteral("pw");
    }
    void thumbnailsComeWithThePictures()
    {
        QFETCH(QString, password);
        AlbumStore &store = *m_f.store;
        QVERIFY(store.addAlbum(QStringLiteral("card"), password));
        QVERIFY(store.addPictureData(1, QStringLiteral("there"), QStringLiteral(".jpg"), photo(9)));
        const QString card = m_f.dir.filePath(QStringLiteral("window"));
        QVERIFY(QDir().mkpath(card));
        const QList<std::pair<QString, QByteArray>> files = {
            {"a.jpg", photo(1)}, {"b.jpg", photo(2)},     {"c.jpg", photo(3)},
            {"d.jpg", photo(4)}, {"again.jpg", photo(9)}, {"notes.jpg", "just text"},
        };
        for (const auto &[name, bytes] : files)
            QVERIFY(TestStore::writeFile(card + QLatin1Char('/') + name, bytes));
        const PictureImport::Summary summary = PictureImport::run(
            store, 1, PictureImport::collectFiles({card}, nullptr), {}, PictureImport::ReadAhead::WithThumbnails);
        QCOMPARE(summary.imported, 4);
        QCOMPARE(summary.duplicates, 1);
        QCOMPARE(summary.leftOut.size(), 1);
        for (const char *name : {"a", "b", "c", "d"}) {
            const int id = store.findPictureId(1, QString::fromLatin1(name));
            const QByteArray thumbnail = store.thumbnailData(id);
            QVERIFY2(!thumbnail.isEmpty(), name);
            QCOMPARE(thumbnail, Thumbnail::make(store.pictureData(id)));
            SqlStatement raw(store.connection(), QStringLiteral("SELECT Thumb FROM PicThumbTable WHERE PicInfoID = ?"));
            raw.bind(1, id);
            QVERIFY(raw.next());
            QCOMPARE(AlbumCipher::isEncrypted(raw.blob(0)), !password.isEmpty());
        }
        QVERIFY(store.thumbnailData(store.findPictureId(1, QStringLiteral("there"))).isEmpty());
    }

    // The terminal's --import: the album made when missing, folders walked,
    // a summary printed, 0 when everything that could be imported was and 1
    // otherwise; a protected album's password read from a pipe.
    void fromTheTerminal()
    {
        m_f.store->closeStore();
        const QString folder = m_f.dir.filePath(QStringLiteral("in"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub")));
        QVERIFY(TestStore::writeFile(folder + QStringLiteral("/a.jpg"), photo(30)));
        QVERIFY(TestStore::writeFile(folder + QStringLiteral("/sub/b.jpg"), photo(31)));
        const auto run = [&](const QStringList &arguments, const QByteArray &input = QByteArray()) {
            QProcess program;
            program.start(QStringLiteral(QUILBO_PROGRAM), QStringList{QStringLiteral("--store"), m_f.path} + arguments);
            program.write(input);
            program.closeWriteChannel();
            program.waitForFinished(60000);
            return std::pair{program.exitCode(), QString::fromLocal8Bit(program.readAllStandardOutput())};
        };
        auto [status, said] = run({QStringLiteral("--import"), QStringLiteral("新相册"), folder});
        QCOMPARE(status, 0);
        QVERIFY2(said.contains(QStringLiteral("导入了 2 张图片")), qPrintable(said));
        std::tie(status, said) = run({QStringLiteral("--import"), QStringLiteral("新相册"), folder});
        QCOMPARE(status, 0);
        QVERIFY2(said.contains(QStringLiteral("2 张图片相册中已有")), qPrintable(said));
        QVERIFY(TestStore::writeFile(folder + QStringLiteral("/bad.jpg"), "not a picture"));
        std::tie(status, said) = run({QStringLiteral("--import"), QStringLiteral("新相册"), folder});
        QCOMPARE(status, 1);
        QVERIFY2(said.contains(QStringLiteral("bad.jpg")), qPrintable(said));

        QVERIFY(m_f.store->openStore(m_f.path));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("locked"), QStringLiteral("pw")));
        m_f.store->closeStore();
        QCOMPARE(run({QStringLiteral("--import"), QStringLiteral("locked"), folder + QStringLiteral("/a.jpg")}, "wrong\n")
                     .first,
                 1);
        std::tie(status, said) =
            run({QStringLiteral("--import"), QStringLiteral("locked"), folder + QStringLiteral("/a.jpg")}, "pw\n");
        QCOMPARE(status, 0);
        QVERIFY(m_f.store->openStore(m_f.path));
        // The store's lock, as the tools take it: not while a window has it.
        QCOMPARE(run({QStringLiteral("--import"), QStringLiteral("新相册"), folder}).first, 1);
        QCOMPARE(namesOf(*m_f.store, m_f.store->findAlbumId(QStringLiteral("新相册"))), (QStringList{"a", "b"}));
        QCOMPARE(namesOf(*m_f.store, m_f.store->findAlbumId(QStringLiteral("locked"))), QStringList{"a"});
    }

    // 功能 → 导入文件夹...: an album, a folder, a run that can be cancelled
    // (what it stored stays), and the summary; a folder dropped on the
    // window opens it with the folder.
    void theDialog()
    {
        QVERIFY(m_f.library->addAlbum(QStringLiteral("trip"), QString()));
        const QString folder = m_f.dir.filePath(QStringLiteral("dialog card"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub")));
        for (int i = 0; i < 4; ++i)
            QVERIFY(TestStore::writeFile(folder + QStringLiteral("/sub/p%1.jpg").arg(i), photo(40 + i)));
        {
            FolderImportDialog dialog(*m_f.library);
            dialog.show();
            refillAlbumChooser(*m_f.library, dialog.albumChooser, QStringLiteral("<请选择相册>"));
            dialog.albumChooser->setCurrentIndex(1);
            dialog.setPaths({folder});
            // Cancelled once the first is stored.
            const auto cancel = connect(dialog.progressBar, &QProgressBar::valueChanged, this, [&](int done) {
                if (done == 1)
                    dialog.closeButton->click();
            });
            dialog.startImport();
            disconnect(cancel);
            QVERIFY(m_f.prompts->messages.last().text.contains(QStringLiteral("导入已取消")));
            const int stored = int(namesOf(*m_f.store, 1).size());
            QCOMPARE(stored, 1);
            QVERIFY(dialog.isVisible());
            dialog.startImport();
            QCOMPARE(m_f.prompts->messages.last().text,
                     QStringLiteral("导入了 %1 张图片。\n%2 张图片相册中已有,没有再次导入。").arg(4 - stored).arg(stored));
            QCOMPARE(namesOf(*m_f.store, 1), (QStringList{"p0", "p1", "p2", "p3"}));
            QVERIFY(!dialog.progressBar->isVisible());
        }

        const auto form = FormFixture::open(m_f);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(folder)});
        QString shown;
        onNextModal([&shown](QDialog *d) {
            if (auto *dialog = qobject_cast<FolderImportDialog *>(d))
                shown = dialog->folderEdit->text();
            d->close();
        });
        QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // Straight to the window: the application hands a drop only to the
        // target of a drag under way.
        static_cast<QObject *>(form.get())->event(&drop);
        QTRY_COMPARE(shown, QDir::toNativeSeparators(folder));
    }

    // Pictures of today's formats: taken at import whatever their names
    // say, stored byte for byte, decoded upright at their size, given
    // thumbnails, exported with their own extension.
    void formats_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QString>("extension");
        QTest::newRow("PNG") << QByteArray("png") << "png";
        QTest::newRow("WebP") << QByteArray("webp") << "webp";
        QTest::newRow("TIFF") << QByteArray("tiff") << "tif";
        QTest::newRow("BMP") << QByteArray("bmp") << "bmp";
        QTest::newRow("GIF") << QByteArray("gif") << "gif";
        QTest::newRow("HEIC") << QByteArray("heic") << "heic";
    }
    void formats()
    {
        QFETCH(QByteArray, format);
        QFETCH(QString, extension);
        QByteArray bytes;
        QSize size(40, 30);
        if (format == "heic") {
            // Made by libheif's own encoder, where it is installed.
            const QString encoder = QStandardPaths::findExecutable(QStringLiteral("heif-enc"));
            if (encoder.isEmpty())
                QSKIP("no HEIC encoder (heif-enc, from libheif-examples) is installed");
            const QString png = m_f.dir.filePath(QStringLiteral("for-heic.png"));
            const QString heic = m_f.dir.filePath(QStringLiteral("made.heic"));
            QVERIFY(JpegFixtures::quarters(size.width(), size.height()).save(png, "PNG"));
            QCOMPARE(QProcess::execute(encoder, {QStringLiteral("-q"), QStringLiteral("95"), png, QStringLiteral("-o"), heic}), 0);
            bytes = TestStore::readFile(heic);
        } else if (format == "gif") {
            // Qt writes no GIF: one red pixel, as a GIF file is laid out.
            bytes = QByteArray::fromHex("47494638396101000100800000ff000000000021f90400000000002c00000000010001000002024401003b");
            size = QSize(1, 1);
        } else {
            if (!QImageWriter::supportedImageFormats().contains(format))
                QSKIP("Qt's image plugins for this format are not installed");
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, format);
            writer.setQuality(100); // WebP without loss
            QVERIFY(writer.write(JpegFixtures::quarters(size.width(), size.height())));
        }
        AlbumStore &store = *m_f.store;
        QVERIFY(store.addAlbum(QStringLiteral("formats"), QString()));
        const QString file = m_f.dir.filePath(QStringLiteral("picture.%1").arg(extension));
        QVERIFY(TestStore::writeFile(file, bytes));
        const PictureImport::Summary summary = PictureImport::run(store, 1, {file});
        QVERIFY2(summary.complete(), qPrintable(summary.text()));
        const int id = store.findPictureId(1, QStringLiteral("picture"));
        QCOMPARE(store.pictureData(id), bytes);
        QImage shown;
        store.loadPicture(&shown, id);
        QCOMPARE(shown.size(), size);
        QImage original = JpegFixtures::quarters(size.width(), size.height());
        if (format == "gif")
            original.fill(Qt::red);
        QVERIFY(JpegFixtures::meanDifference(shown, original) < (format == "heic" ? 8 : 2)); // HEIC is lossy
        // Through the viewer's way in: the decode of bytes streamed from the store.
        const StreamedBytes streamed(bytes);
        QCOMPARE(PictureCodec::decode(streamed).size(), size);
        QCOMPARE(PictureCodec::uprightSize(bytes), size);
        QCOMPARE(PictureCodec::decode(Thumbnail::make(bytes)).size(), size);
        const QString out = m_f.dir.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(out));
        QVERIFY(store.exportPictureFile(id, out));
        QCOMPARE(TestStore::readFile(out + QStringLiteral("/picture.") + extension), bytes);
    }

private:
    TestStore::Fixture m_f;
};

QTEST_MAIN(TestFolderImport)
#include "test_folderimport.moc"
