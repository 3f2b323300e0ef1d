// What a large library costs the window, each case against the same case
// on a small library, alternated (A B A B ...):
//   start-up to the tree shown: 100,000 pictures against 1,000 (time and
//   peak memory, each start a new process);
//   the first search by name in a new window: an album of 20,000 pictures
//   against one of 200.
//   bench_library [runs]
//   bench_library --start STORE   (the child process of the start-up case)

#include "AlbumChooser.h"
#include "AlbumLibrary.h"
#include "AlbumStore.h"
#include "BenchUtil.h"
#include "LargeBuffers.h"
#include "BenchWindow.h"
#include "JpegCodec.h"
#include "MainWindow.h"
#include "Sql.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

namespace {

// The child: the window opened on the store and shown; prints the peak
// resident memory once the tree is on screen.
int startWindow(const QString &path)
{
    AlbumStore store;
    AlbumLibrary library(store);
    MainWindow window(library, path);
    if (!window.storeOpened())
        return 1;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    Bench::tree(window)->grab();
    std::printf("shown %.1f\n", Bench::peakMb());
    std::fflush(stdout);
    return 0;
}

struct Start
{
    double ms = 0;
    double mb = 0;
};

Start startOnce(const QString &path)
{
    QProcess child;
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--start"), path});
    while (child.state() != QProcess::NotRunning && !child.canReadLine())
        child.waitForReadyRead(10);
    Start start;
    start.ms = double(timer.nsecsElapsed()) / 1e6;
    const QByteArray line = child.readLine().trimmed();
    start.mb = line.startsWith("shown ") ? line.mid(6).toDouble() : -1;
    child.waitForFinished();
    return start;
}

// The first search of a new window: from the search command to the found
// picture drawn.
double firstSearch(const QString &path, const QString &album, const QString &picture)
{
    AlbumStore store;
    AlbumLibrary library(store);
    MainWindow window(library, path);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::printf("the window was not shown\n");
    Bench::settle();
    auto *chooser = window.findChild<AlbumChooser *>(QStringLiteral("searchAlbumChooser"));
    auto *name = window.findChild<QLineEdit *>(QStringLiteral("searchNameEdit"));
    auto *button = window.findChild<QToolButton *>(QStringLiteral("searchButton"));
    chooser->fill(QStringLiteral("(相册)"), {album});
    chooser->setCurrentIndex(1);
    name->setText(picture);
    QElapsedTimer timer;
    timer.start();
    button->click();
    Bench::drawn(window);
    Bench::tree(window)->grab();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (Bench::viewer(window)->shownPicture().name != picture)
        std::printf("the search did not show %s\n", qPrintable(picture));
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    keepLargeBuffers();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Prompts::install(std::make_unique<QtPromptHandler>());
    if (argc > 2 && QByteArray(argv[1]) == "--start")
        return startWindow(QString::fromLocal8Bit(argv[2]));
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 5;

    QTemporaryDir dir;
    // 100,000 pictures: an album of 20,000 and 800 of 100; 1,000 pictures:
    // an album of 200 and 8 of 100.
    QList<int> large{20000}, small{200};
    large.append(QList<int>(800, 100));
    small.append(QList<int>(8, 100));
    const QString largePath = Bench::makeLibrary(dir, QStringLiteral("large.pdb"), large);
    const QString smallPath = Bench::makeLibrary(dir, QStringLiteral("small.pdb"), small);
    std::printf("libraries: 100,000 pictures (%.0f MB), 1,000 pictures; load %.2f\n\n",
                QFileInfo(largePath).size() / 1e6, Bench::loadAverage());

    std::vector<double> largeMs, smallMs, largeMb, smallMb;
    for (int i = 0; i < runs; ++i) {
        const Start l = startOnce(largePath);
        const Start s = startOnce(smallPath);
        largeMs.push_back(l.ms);
        largeMb.push_back(l.mb);
        smallMs.push_back(s.ms);
        smallMb.push_back(s.mb);
    }
    const auto check = [](const char *what, std::vector<double> ours, const char *base,
                              std::vector<double> theirs, double limit, const char *unit) {
        std::sort(ours.begin(), ours.end());
        std::sort(theirs.begin(), theirs.end());
        const double o = ours[ours.size() / 2], b = theirs[theirs.size() / 2];
        std::printf("%-44s %8.1f %s  [min %.1f, max %.1f]\n%-44s %8.1f %s  [min %.1f, max %.1f]\n", what, o, unit,
                    ours.front(), ours.back(), base, b, unit, theirs.front(), theirs.back());
        const bool ok = o / b <= limit;
        std::printf("ratio %.2f (target at most %.2f): %s\n\n", o / b, limit, ok ? "met" : "NOT MET");
        Bench::targetMissed = Bench::targetMissed || !ok;
    };
    check("start-up to the tree shown, 100,000 pictures", largeMs, "the same, 1,000 pictures", smallMs, 1.2, "ms");
    check("peak memory at start, 100,000 pictures", largeMb, "the same, 1,000 pictures", smallMb, 1.2, "MB");

    std::vector<double> bigSearch, smallSearch;
    for (int i = 0; i < runs; ++i) {
        bigSearch.push_back(firstSearch(largePath, QStringLiteral("相册 1"), QStringLiteral("IMG_015000")));
        smallSearch.push_back(firstSearch(smallPath, QStringLiteral("相册 1"), QStringLiteral("IMG_000150")));
    }
    check("first search by name, album of 20,000", bigSearch, "the same, album of 200", smallSearch, 2.0, "ms");
    std::printf("load %.2f at the end\n", Bench::loadAverage());
    return Bench::exitStatus();
}
