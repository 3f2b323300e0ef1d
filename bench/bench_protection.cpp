// Protected albums:
//   - a 12-megapixel picture (4000 x 3000, quality 92) of a protected album
//     shown, selection to pixels, against the same picture of an open album;
//   - a password set on an album of 500 MB (its pictures encrypted, then the
//     store rewritten so that no clear fragment stays), changed (a new key,
//     every picture encrypted anew) and removed, against the compaction of a
//     500 MB store with a tenth of its pictures deleted;
//   - the time a password check takes (the album key opened).
//   bench_protection [megabytes of the album]

#include "AlbumLibrary.h"
#include "AlbumStore.h"
#include "BenchUtil.h"
#include "BenchWindow.h"
#include "JpegCodec.h"
#include "MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>


namespace {

constexpr int kRuns = 9;

// Answers every password question with the album's password.
class Answers : public PromptHandler
{
public:
    int message(PromptKind, const QString &, const QString &text) override
    {
        std::printf("message: %s\n", qPrintable(text));
        return 0;
    }
    int askYesNo(const QString &, const QString &) override { return IdYes; }
    QString askPassword(const QString &, const QString &) override { return QStringLiteral("pw"); }
};

// Fills the album with 5 MB pictures of random bytes in one transaction.
void fillAlbum(AlbumStore &store, int albumId, int count, int firstId)
{
    SqlTransaction t(store.connection());
    QByteArray bytes(5 << 20, Qt::Uninitialized);
    for (int i = firstId; i < firstId + count; ++i) {
        QRandomGenerator(quint32(i)).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        SqlStatement info(store.connection(), QStringLiteral("INSERT INTO PicInfoTable (PicInfoID, PicLibID, PicName, "
                                                             "PicExt) VALUES (?, ?, ?, 'jpg')"));
        info.bind(1, i).bind(2, albumId).bind(3, QStringLiteral("IMG_%1").arg(i)).exec();
        SqlStatement pic(store.connection(), QStringLiteral("INSERT INTO PicTable (PicInfoID, Pic) VALUES (?, ?)"));
        pic.bind(1, i).bindBlob(2, bytes).exec();
    }
    t.commit();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 500;
    QTemporaryDir dir(QDir::current().filePath(QStringLiteral("bench-XXXXXX")));

    // ---- showing
    QString path;
    {
        AlbumStore store;
        path = Bench::openNewStore(dir, store);
        store.addAlbum(QStringLiteral("open"), QString());
        store.addAlbum(QStringLiteral("secret"), QStringLiteral("pw"));
        const QByteArray jpeg = JpegCodec::encode(Bench::photo(4000, 3000, 5), 92);
        const QString file = dir.filePath(QStringLiteral("IMG_0001.jpg"));
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(jpeg);
        f.close();
        store.addPicture(1, file);
        store.addPicture(2, file);
        std::printf("picture: 4000 x 3000, %.1f MB, in an open and in a protected album\n", jpeg.size() / 1e6);
    }
    {
        AlbumStore store;
        Prompts::install(std::make_unique<Answers>());
        AlbumLibrary library(store);
        MainWindow window(library, path);
        window.show();
        Bench::expandAll(window);
        std::vector<double> shows[2];
        for (int run = 0; run < kRuns; ++run)
            for (int album = 0; album < 2; ++album) {
                Bench::tree(window)->setCurrentIndex(Bench::albumNode(window, album));
                Bench::settle();
                Bench::viewer(window)->forgetDecodedPictures();
                QElapsedTimer timer;
                timer.start();
                Bench::tree(window)->setCurrentIndex(Bench::pictureNode(window, album, 0));
                Bench::drawn(window);
                shows[album].push_back(double(timer.nsecsElapsed()) / 1e6);
            }
        Bench::reportRuns("select -> pixels, protected album", shows[1], "the same, open album", shows[0], 1.05);

        // The check: Argon2id once, for the album key.
        std::vector<double> checks;
        for (int i = 0; i < kRuns; ++i) {
            QElapsedTimer timer;
            timer.start();
            store.checkAlbumPassword(QStringLiteral("secret"), QStringLiteral("pw"));
            checks.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::sort(checks.begin(), checks.end());
        std::printf("password check (the album key opened): %.0f ms  [min %.0f, max %.0f]\n\n", checks[kRuns / 2],
                    checks.front(), checks.back());
    }

    // ---- setting and removing a password
    const int count = megabytes / 5;
    AlbumStore store;
    QTemporaryDir big(dir.filePath(QStringLiteral("XXXXXX")));
    const QString bigPath = Bench::openNewStore(big, store);
    store.addAlbum(QStringLiteral("album"), QString());
    fillAlbum(store, 1, count, 1);
    std::printf("album: %d pictures, %.0f MB store\n", count, QFileInfo(bigPath).size() / 1e6);
    std::vector<double> sets;
    std::vector<double> changes;
    std::vector<double> removes;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        store.setAlbumPassword(QStringLiteral("album"), QStringLiteral("pw"));
        sets.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        store.setAlbumPassword(QStringLiteral("album"), QStringLiteral("pw2"));
        changes.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        store.setAlbumPassword(QStringLiteral("album"), QString());
        removes.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    store.closeStore();

    // The baseline: a store of the same size, a tenth of it deleted, compacted.
    std::vector<double> compactions;
    for (int i = 0; i < 3; ++i) {
        const QString copy = big.filePath(QStringLiteral("compact.pdb"));
        QFile::remove(copy);
        QFile::copy(bigPath, copy);
        store.openStore(copy);
        for (int n = 1; n <= count; n += 10)
            store.deletePicture(1, QStringLiteral("IMG_%1").arg(n));
        QElapsedTimer timer;
        timer.start();
        store.compactStore(copy);
        compactions.push_back(double(timer.nsecsElapsed()) / 1e6);
        store.closeStore();
    }
    Bench::reportRuns("password set (encrypt, rewrite)", sets, "compaction of the same size", compactions, 0);
    Bench::reportRuns("password changed (new key)", changes, "compaction of the same size", compactions, 0);
    Bench::reportRuns("password removed (decrypt)", removes, "compaction of the same size", compactions, 0);
    return Bench::exitStatus();
}
