// Protected albums:
//   - a 12-megapixel picture (4000 x 3000, quality 92) of a protected album
//     shown, selection to pixels, against the same picture of an open album;
//   - the time a password check takes (the album key opened);
//   - a password set on a 10-picture album of 77 MB (its pictures encrypted,
//     then the file's unused bytes cleared), changed (a new key, every
//     picture encrypted anew) and removed, in a store of 100 MB and in one of
//     the size given, against cp + sync of the album's 10 files, alternately.
//   bench_protection [megabytes of the larger store, 1000] [its folder, .]
// The larger store is skipped where its folder has no room for it.

#include "AlbumLibrary.h"
#include "AlbumStore.h"
#include "BenchUtil.h"
#include "LargeBuffers.h"
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

// Picture number i: bytes of its own, as random as a photograph's.
QByteArray pictureBytes(int i, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(quint32(i)).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    return bytes;
}

// Fills the album with pictures of that size in one transaction.
void fillAlbum(AlbumStore &store, int albumId, int count, int firstId, int size = 5 << 20)
{
    SqlTransaction t(store.connection());
    for (int i = firstId; i < firstId + count; ++i) {
        const QByteArray bytes = pictureBytes(i, size);
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
    keepLargeBuffers();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 1000;
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

    // ---- setting, changing and removing a password
    // A 10-picture album of 77 MB in the middle of stores of growing size,
    // against cp + sync of the album's 10 files, alternately.
    const QString bigFolder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::currentPath();
    constexpr int kAlbumPicture = 7700 * 1000;
    constexpr int kAlbumFirst = 50000;
    QTemporaryDir files(dir.filePath(QStringLiteral("files-XXXXXX")));
    for (int i = kAlbumFirst; i < kAlbumFirst + 10; ++i) {
        QFile f(files.filePath(QStringLiteral("IMG_%1.jpg").arg(i)));
        f.open(QIODevice::WriteOnly);
        f.write(pictureBytes(i, kAlbumPicture));
    }
    for (const int storeMb : {100, megabytes}) {
        QTemporaryDir big(QDir(bigFolder).filePath(QStringLiteral("bench-store-XXXXXX")));
        if (Bench::freeMb(big.path()) < storeMb * 2 + 500) {
            std::printf("store of %d MB: skipped, %s has no room for it and its copy\n\n", storeMb,
                        qPrintable(bigFolder));
            continue;
        }
        AlbumStore store;
        Bench::openNewStore(big, store);
        store.addAlbum(QStringLiteral("before"), QString());
        store.addAlbum(QStringLiteral("album"), QString());
        store.addAlbum(QStringLiteral("after"), QString());
        const int rest = std::max(0, (storeMb - 77) / 5);
        fillAlbum(store, 1, rest / 2, 1);
        fillAlbum(store, 2, 10, kAlbumFirst, kAlbumPicture);
        fillAlbum(store, 3, rest - rest / 2, 100000);
        std::printf("store of %.0f MB, album of 10 pictures (77 MB), in %s\n",
                    QFileInfo(big.filePath(QStringLiteral("pdate.pdb"))).size() / 1e6, qPrintable(bigFolder));
        const QString copies = big.filePath(QStringLiteral("copies"));
        const auto copyFiles = [&] {
            Bench::shellMs(QStringLiteral("rm -rf '%1' && mkdir '%1' && cp '%2'/* '%1'/ && sync '%1'/*")
                               .arg(copies, files.path()));
        };
        std::vector<double> sets, changes, removes, cps;
        for (int i = 0; i < 5; ++i) {
            for (auto [password, into] : {std::pair{"pw", &sets}, std::pair{"pw2", &changes}, std::pair{"", &removes}}) {
                QElapsedTimer timer;
                timer.start();
                store.setAlbumPassword(QStringLiteral("album"), QString::fromLatin1(password));
                into->push_back(double(timer.nsecsElapsed()) / 1e6);
                timer.restart();
                copyFiles();
                cps.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
        }
        Bench::reportRuns("password set (encrypt, clear)", sets, "cp + sync of the album's files", cps, 3.0);
        Bench::reportRuns("password changed (a new key)", changes, "cp + sync of the album's files", cps, 3.0);
        Bench::reportRuns("password removed (decrypt)", removes, "cp + sync of the album's files", cps, 3.0);
        std::printf("\n");
    }
    return Bench::exitStatus();
}
