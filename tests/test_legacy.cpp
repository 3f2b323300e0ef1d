// The import of an earlier version's album store (Jet 4): every album and
// picture arrives with its bytes, names, order and password; what cannot be
// stored is told; importing again adds suffixed albums; a hostile or broken
// file, or a reader that hangs or crashes, leaves the store as it was.

#include "FormFixture.h"
#include "LegacyImport.h"
#include "LegacyImportDialog.h"
#include "LegacyStream.h"
#include "Modal.h"
#include "TestStore.h"

#include <QCryptographicHash>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QProcess>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <functional>

namespace {

QString fixture()
{
    const QString data = TestStore::testData();
    return data.isEmpty() ? QString() : data + QStringLiteral("/legacy-store/jet4-album-store.pdb");
}

struct ManifestRow
{
    int id;
    int album;
    QString name;
    QString extension;
    QString bytes; // a number, or NULL
    QString sha256;
};

QList<ManifestRow> manifest()
{
    QList<ManifestRow> rows;
    const QString text = QString::fromUtf8(TestStore::readFile(TestStore::testData()
                                                               + QStringLiteral("/legacy-store/manifest.tsv")));
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1)) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() == 6)
            rows.append({f[0].toInt(), f[1].toInt(), f[2], f[3], f[4], f[5]});
    }
    return rows;
}

QByteArray digest(const QByteArray &bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(); }

// What the store holds: albums, and each album's pictures with their bytes.
QStringList contents(AlbumStore &store)
{
    QStringList lines;
    QStringList albums;
    store.listAlbums(&albums);
    for (const QString &album : albums) {
        lines.append(album);
        QStringList ids;
        store.listPictureIds(store.findAlbumId(album), &ids);
        for (const QString &id : ids) {
            SqlStatement q(store.connection(), QStringLiteral("SELECT Pic FROM PicTable WHERE PicInfoID = ?"));
            q.bind(1, id.toInt());
            const QByteArray bytes = q.next() ? q.blob(0) : QByteArray();
            lines.append(QStringLiteral("  %1 %2").arg(store.pictureName(id.toInt()), QString::fromLatin1(digest(bytes))));
        }
    }
    return lines;
}

} // namespace

class TestLegacy : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.setUp());
    }
    void cleanup() { m_f.tearDown(); }

    void everyAlbumAndPictureArrives()
    {
        if (fixture().isEmpty())
            QSKIP("../shared/testdata is absent: no old album store to import");
        const QByteArray before = digest(TestStore::readFile(fixture()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("mine"), QString()));
        int progressCalls = 0;
        const LegacyImport::Summary summary = LegacyImport::run(*m_f.store, fixture(), [&](int done, int total) {
            ++progressCalls;
            return done <= total;
        });
        QVERIFY2(summary.imported, qPrintable(summary.failure));
        QCOMPARE(summary.albums, 3);
        QCOMPARE(summary.pictures, 5);
        QCOMPARE(progressCalls, 3 + 7);
        QStringList albums;
        m_f.store->listAlbums(&albums);
        QCOMPARE(albums, (QStringList{"mine", "我的相册", "旅行 2008 春节", "Holiday"}));

        // Each picture as the manifest has it, in its album, in its order.
        for (const ManifestRow &row : manifest()) {
            const QString album = albums.at(row.album);
            const int albumId = m_f.store->findAlbumId(album);
            if (row.album == 2)
                QVERIFY(m_f.store->checkAlbumPassword(album, QStringLiteral("密码ABC123")));
            const int id = m_f.store->findPictureId(albumId, row.name);
            if (row.bytes == QLatin1String("NULL") || row.bytes == QLatin1String("0")) {
                QCOMPARE(id, -1);
                QVERIFY2(summary.text(fixture()).contains(row.name), qPrintable(row.name));
                continue;
            }
            QVERIFY2(id > 0, qPrintable(row.name));
            const QByteArray bytes = m_f.store->pictureData(id);
            QCOMPARE(bytes.size(), row.bytes.toInt());
            QCOMPARE(QString::fromLatin1(digest(bytes)), row.sha256);
            SqlStatement ext(m_f.store->connection(), QStringLiteral("SELECT PicExt FROM PicInfoTable WHERE PicInfoID = ?"));
            ext.bind(1, id);
            QVERIFY(ext.next());
            QCOMPARE(ext.text(0), row.extension);
        }
        QStringList order;
        m_f.store->listPictureNames(m_f.store->findAlbumId(QStringLiteral("旅行 2008 春节")), &order);
        QCOMPARE(order, (QStringList{"中图", "大图 large"}));
        // The protected album is protected as this version protects.
        QVERIFY(m_f.store->albumHasPassword(QStringLiteral("旅行 2008 春节")));
        QVERIFY(!m_f.store->albumHasPassword(QStringLiteral("Holiday")));
        m_f.store->forgetAlbumKeys();
        QVERIFY_THROWS_EXCEPTION(AlbumCipher::CipherError,
                                 m_f.store->pictureData(m_f.store->findPictureId(
                                     m_f.store->findAlbumId(QStringLiteral("旅行 2008 春节")), QStringLiteral("中图"))));
        QCOMPARE(digest(TestStore::readFile(fixture())), before);

        // Again: new albums under suffixed names, never pictures merged.
        const LegacyImport::Summary again = LegacyImport::run(*m_f.store, fixture());
        QVERIFY2(again.imported, qPrintable(again.failure));
        m_f.store->listAlbums(&albums);
        QCOMPARE(albums, (QStringList{"mine", "我的相册", "旅行 2008 春节", "Holiday", "我的相册 (2)",
                                      "旅行 2008 春节 (2)", "Holiday (2)"}));
        QVERIFY(again.text(fixture()).contains(QStringLiteral("我的相册 (2)")));
        QStringList first;
        QStringList second;
        m_f.store->listPictureNames(m_f.store->findAlbumId(QStringLiteral("我的相册")), &first);
        m_f.store->listPictureNames(m_f.store->findAlbumId(QStringLiteral("我的相册 (2)")), &second);
        QCOMPARE(first, (QStringList{"春节合影", "小图"}));
        QCOMPARE(second, first);
    }

    // In the window: the menu's dialog imports with its progress and
    // summary, and the protected album asks its password in the tree.
    void theDialogImportsAndTheTreeAsks()
    {
        if (fixture().isEmpty())
            QSKIP("../shared/testdata is absent: no old album store to import");
        auto form = FormFixture::open(m_f);
        // Once the dialog has run, what it shows is taken and it is closed.
        QString shown;
        bool full = false;
        onNextModal([&](QDialog *dialog) {
            auto *legacy = qobject_cast<LegacyImportDialog *>(dialog);
            QVERIFY(legacy);
            auto *poll = new QTimer(legacy);
            connect(poll, &QTimer::timeout, legacy, [&, legacy] {
                // Close is offered once the import has ended.
                if (!legacy->closeButton->isEnabled())
                    return;
                shown = legacy->summaryView->toPlainText();
                full = legacy->progressBar->value() == legacy->progressBar->maximum();
                legacy->close();
            });
            poll->start(20);
        });
        form->importLegacyStoreFile(fixture());
        QVERIFY(full);
        QVERIFY2(shown.startsWith(QStringLiteral("已从 jet4-album-store.pdb 导入 3 个相册、5 张图片。")), qPrintable(shown));
        QVERIFY(shown.contains(QStringLiteral("空图")));
        QModelIndex root = FormFixture::root(*form);
        QCOMPARE(FormFixture::childCount(root), 3);
        FormFixture::expand(*form, root);
        QModelIndex trip = FormFixture::albumNode(*form, QStringLiteral("旅行 2008 春节"));
        QVERIFY(trip.isValid());
        m_f.prompts->queuePassword(QStringLiteral("密码abc123"));
        FormFixture::expand(*form, trip);
        QCOMPARE(m_f.prompts->pendingAnswers(), 0);
        QVERIFY(FormFixture::isExpanded(*form, trip));
        QCOMPARE(FormFixture::childCount(trip), 2);
        FormFixture::tree(*form)->setCurrentIndex(FormFixture::child(trip, 0));
        FormFixture::settle(*form);
        QVERIFY(!FormFixture::view(*form)->picture().isNull());
    }

    // Files and readers that go wrong: nothing imported, the store as it was,
    // and a clear reason.
    void brokenFilesLeaveTheStoreAsItWas_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("cut short") << "truncated" << "文件被截断";
        QTest::newRow("cut at a page") << "truncated at a page" << "不完整";
        QTest::newRow("random bytes") << "random" << "这不是旧版相册库文件";
        QTest::newRow("empty") << "empty" << "空";
        QTest::newRow("the reader hangs") << "hang" << "超时";
        QTest::newRow("the reader crashes") << "crash" << "意外结束";
        QTest::newRow("the reader breaks its confinement") << "forbidden" << "意外结束";
        QTest::newRow("no such file") << "missing" << "找不到文件";
    }
    void brokenFilesLeaveTheStoreAsItWas()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QVERIFY(m_f.store->addAlbum(QStringLiteral("mine"), QString()));
        TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("p"), QByteArray("\xff\xd8 a picture", 12));
        const QStringList before = contents(*m_f.store);
        QString file = m_f.dir.filePath(QStringLiteral("old.PDB"));
        const QByteArray original = fixture().isEmpty() ? QByteArray() : TestStore::readFile(fixture());
        if (kind.startsWith(QLatin1String("truncated")) || kind == QLatin1String("hang")
            || kind == QLatin1String("crash") || kind == QLatin1String("forbidden")) {
            if (original.isEmpty())
                QSKIP("../shared/testdata is absent: no old album store to break");
            const qsizetype size = kind == QLatin1String("truncated")            ? 300000
                                   : kind == QLatin1String("truncated at a page") ? 4096 * 80
                                                                                 : original.size();
            QVERIFY(TestStore::writeFile(file, original.left(size)));
        } else if (kind == QLatin1String("random")) {
            QByteArray noise(64 * 1024, '\0');
            for (char &c : noise)
                c = char(QRandomGenerator::global()->bounded(256));
            QVERIFY(TestStore::writeFile(file, noise));
        } else if (kind == QLatin1String("empty")) {
            QVERIFY(TestStore::writeFile(file, QByteArray()));
        } else {
            file = m_f.dir.filePath(QStringLiteral("nothing.pdb"));
        }
        // Readers that go wrong: one that answers and then says nothing
        // more, one that dies, and a build of the real one that makes a
        // call its confinement forbids.
        LegacyImport::Options options;
        if (kind == QLatin1String("hang")) {
            options.reader = script(QStringLiteral("printf '%s' '") + QString::fromLatin1(LegacyStream::Magic).trimmed()
                                    + QStringLiteral("\n'; exec sleep 600"));
            options.timeoutMs = 1500;
        } else if (kind == QLatin1String("crash")) {
            options.reader = script(QStringLiteral("kill -SEGV $$"));
        } else if (kind == QLatin1String("forbidden")) {
            options.reader = QStringLiteral(QUILBO_FORBIDDEN_CALL_READER);
        }
        const LegacyImport::Summary summary = LegacyImport::run(*m_f.store, file, LegacyImport::Progress(), options);
        QVERIFY(!summary.imported);
        QVERIFY(!summary.failure.isEmpty());
        QVERIFY2(summary.failure.contains(reason), qPrintable(summary.failure));
        QVERIFY(summary.text(file).startsWith(QStringLiteral("没有导入任何相册,相册库保持原样。")));
        QCOMPARE(contents(*m_f.store), before);
        // The store works on as before.
        QVERIFY(m_f.store->addAlbum(QStringLiteral("after"), QString()));
    }

    // A damaged chain of a picture's pages that runs back into itself: the
    // reader stops at the first byte past the length the value declares,
    // and the program never holds more than that.
    void pageChainThatRunsOnIsStoppedEarly()
    {
        if (fixture().isEmpty())
            QSKIP("../shared/testdata is absent: no old album store to damage");
        QByteArray old = TestStore::readFile(fixture());
        // The first run of pages that each continue on the next one (the
        // largest picture's); the seventh is made to point back to the
        // second.
        constexpr int kPage = 4096;
        const auto nextOf = [&](int page) {
            const auto *p = reinterpret_cast<const uchar *>(old.constData()) + qsizetype(page) * kPage + 0x14;
            return int(quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24);
        };
        int first = -1;
        for (int page = 0; first < 0 && (page + 8) * kPage <= old.size(); ++page) {
            bool run = old.mid(qsizetype(page) * kPage + 4, 4) == "LVAL";
            for (int i = 0; run && i < 7; ++i)
                run = nextOf(page + i) == (page + i + 1) << 8;
            if (run)
                first = page;
        }
        QVERIFY2(first >= 0, "the old store's largest picture is not where it was");
        const int back = (first + 1) << 8;
        for (int i = 0; i < 4; ++i)
            old[qsizetype(first + 6) * kPage + 0x14 + i] = char(back >> (8 * i));
        const QString file = m_f.dir.filePath(QStringLiteral("looped.pdb"));
        QVERIFY(TestStore::writeFile(file, old));

        QProcess reader;
        reader.start(QStringLiteral(QUILBO_LEGACY_READER_PATH), {file});
        QVERIFY(reader.waitForFinished(60000));
        QVERIFY2(reader.readAllStandardOutput().size() < 2 * old.size(), "the reader went on past the value's end");

        const QStringList before = contents(*m_f.store);
        const bool peakKnown = TestStore::resetMemoryPeak();
        const qint64 resident = TestStore::memoryKb("VmRSS:");
        const LegacyImport::Summary summary = LegacyImport::run(*m_f.store, file);
        QVERIFY(!summary.imported);
        QVERIFY2(summary.failure.contains(QStringLiteral("损坏")), qPrintable(summary.failure));
        QCOMPARE(contents(*m_f.store), before);
        // The protected album's key takes 64 MB to derive; the run-on
        // picture alone took 512 MB.
        if (peakKnown)
            QVERIFY2(TestStore::memoryKb("VmHWM:") - resident < 100 * 1024,
                     qPrintable(QStringLiteral("the import held %1 kB more").arg(TestStore::memoryKb("VmHWM:") - resident)));
    }

    // Whatever a reader sends, one import holds no more than its budgets:
    // no more bytes than a picture declares, nor than the old file holds,
    // and no more albums, pictures or text than an old store could have.
    void hostileStreamsAreBounded_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("more bytes than declared") << "overlong" << "不完整";
        QTest::newRow("declared more than the file holds") << "overdeclared" << "不完整";
        QTest::newRow("too many albums") << "albums" << "多得不可能";
        QTest::newRow("too much text in names") << "names" << "多得不可能";
    }
    void hostileStreamsAreBounded()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QStringList before = contents(*m_f.store);
        const QString file = streamFile([&](LegacyStream::Writer &out) {
            if (kind == QLatin1String("albums")) {
                for (int i = 0; i <= LegacyStream::MaxAlbums; ++i)
                    album(out, i, QByteArray("a"));
                return;
            }
            if (kind == QLatin1String("names")) {
                const QByteArray name(int(LegacyStream::MaxText), 'n');
                for (qint64 i = 0; i * name.size() <= LegacyStream::MaxNameBytes; ++i)
                    picture(out, int(i), 1, name);
                return;
            }
            album(out, 1, QByteArray("a"));
            picture(out, 1, 1, QByteArray("p"));
            out.record(LegacyStream::DataBegin);
            out.integer(1);
            out.integer(1);
            out.integer(kind == QLatin1String("overlong") ? 1000 : 256 * 1024 * 1024);
            const QByteArray chunk(int(LegacyStream::MaxChunk), 'x');
            for (int i = 0; i < 64; ++i)
                out.chunk(chunk.constData(), quint32(chunk.size()));
        });
        const LegacyImport::Summary summary = LegacyImport::run(*m_f.store, file, LegacyImport::Progress(), {m_streamReader, 0});
        QVERIFY(!summary.imported);
        QVERIFY2(summary.failure.contains(reason), qPrintable(summary.failure));
        QCOMPARE(contents(*m_f.store), before);
    }

    // Many albums of one name, many pictures of one name: each gets the next
    // free suffix at once, without trying every suffix before it again.
    void takenNamesGetTheirSuffixes()
    {
        QVERIFY(m_f.store->addAlbum(QStringLiteral("相册"), QString()));
        QVERIFY(m_f.store->addAlbum(QStringLiteral("相册 (3)"), QString()));
        constexpr int kAlbums = 20000;
        constexpr int kPictures = 3000;
        const QString file = streamFile([&](LegacyStream::Writer &out) {
            for (int i = 1; i <= kAlbums; ++i)
                album(out, i, QStringLiteral("相册").toUtf8());
            for (int i = 1; i <= kPictures; ++i)
                picture(out, i, 1, QByteArray("P"));
            for (int i = 1; i <= kPictures; ++i) {
                out.record(LegacyStream::DataBegin);
                out.integer(i);
                out.integer(1);
                out.integer(4);
                out.chunk("\xff\xd8\xff\xd9", 4);
                out.record(LegacyStream::DataEnd);
            }
            out.record(LegacyStream::End);
        });
        const LegacyImport::Summary summary = LegacyImport::run(*m_f.store, file, LegacyImport::Progress(), {m_streamReader, 0});
        QVERIFY2(summary.imported, qPrintable(summary.failure));
        QCOMPARE(summary.albums, kAlbums);
        QVERIFY(m_f.store->findAlbumId(QStringLiteral("相册 (2)")) >= 0);
        QVERIFY(m_f.store->findAlbumId(QStringLiteral("相册 (4)")) >= 0);
        QVERIFY(m_f.store->findAlbumId(QStringLiteral("相册 (%1)").arg(kAlbums + 2)) >= 0);
        QCOMPARE(m_f.store->findAlbumId(QStringLiteral("相册 (%1)").arg(kAlbums + 3)), -1);
        const int first = m_f.store->findAlbumId(QStringLiteral("相册 (2)"));
        QStringList names;
        m_f.store->listPictureNames(first, &names);
        QCOMPARE(names.size(), kPictures);
        QVERIFY(names.contains(QStringLiteral("P")));
        QVERIFY(names.contains(QStringLiteral("P (%1)").arg(kPictures)));
    }

    // A cancel from the progress leaves nothing behind.
    void cancelledImportLeavesNothing()
    {
        if (fixture().isEmpty())
            QSKIP("../shared/testdata is absent: no old album store to import");
        const QStringList before = contents(*m_f.store);
        const LegacyImport::Summary summary =
            LegacyImport::run(*m_f.store, fixture(), [](int done, int) { return done < 5; });
        QVERIFY(!summary.imported);
        QCOMPARE(summary.failure, QStringLiteral("导入已取消"));
        QCOMPARE(contents(*m_f.store), before);
    }

    // From a terminal: the summary printed, the status telling.
    void importFromTheTerminal()
    {
        if (fixture().isEmpty())
            QSKIP("../shared/testdata is absent: no old album store to import");
        m_f.store->closeStore();
        QProcess program;
        program.start(QStringLiteral(QUILBO_PROGRAM),
                      {QStringLiteral("--store"), m_f.path, QStringLiteral("--import-legacy"), fixture()});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(QString::fromLocal8Bit(program.readAllStandardOutput()).contains(QStringLiteral("导入 3 个相册、5 张图片")));
        program.start(QStringLiteral(QUILBO_PROGRAM), {QStringLiteral("--store"), m_f.path, QStringLiteral("--import-legacy"),
                                                       m_f.path});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(QString::fromLocal8Bit(program.readAllStandardOutput()).contains(QStringLiteral("相册库保持原样")));
    }

private:
    // A reader that sends what write() wrote, for this test only: the
    // import is run on the stream file itself.
    QString streamFile(const std::function<void(LegacyStream::Writer &)> &write)
    {
        const QString stream = m_f.dir.filePath(QStringLiteral("stream.bin"));
        std::FILE *f = std::fopen(QFile::encodeName(stream).constData(), "wb");
        if (!f)
            return QString();
        LegacyStream::Writer out(f);
        out.magic();
        write(out);
        out.flush();
        std::fclose(f);
        m_streamReader = script(QStringLiteral("exec cat \"$1\""));
        return stream;
    }
    // A reader that runs the shell's commands.
    QString script(const QString &commands)
    {
        static int n = 0;
        const QString reader = m_f.dir.filePath(QStringLiteral("reader%1.sh").arg(++n));
        TestStore::writeFile(reader, "#!/bin/sh\n" + commands.toUtf8() + "\n");
        QFile::setPermissions(reader, QFile::ReadOwner | QFile::ExeOwner);
        return reader;
    }
    static void album(LegacyStream::Writer &out, int id, const QByteArray &name)
    {
        out.record(LegacyStream::Album);
        out.integer(id);
        out.text(name);
        out.text(QByteArray());
    }
    static void picture(LegacyStream::Writer &out, int id, int album, const QByteArray &name)
    {
        out.record(LegacyStream::Picture);
        out.integer(id);
        out.integer(album);
        out.text(name);
        out.text(QByteArray("jpg"));
    }
    TestStore::Fixture m_f;
    // The reader of the stream file streamFile() wrote.
    QString m_streamReader;
};

QTEST_MAIN(TestLegacy)
#include "test_legacy.moc"
