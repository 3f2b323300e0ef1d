// Importing an earlier version's album store (the Jet 4 test fixture) many
// times over into a scratch store: the time an import takes, and the
// program's peak resident size, which must stay flat (pictures stream one at
// a time from the reader process) however many pictures pass through.
//   bench_legacy [imports]     (default 200)

#include "AlbumStore.h"
#include "BenchUtil.h"
#include "LargeBuffers.h"
#include "LegacyImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

int main(int argc, char **argv)
{
    keepLargeBuffers();
    QCoreApplication app(argc, argv);
    const int imports = argc > 1 ? std::atoi(argv[1]) : 200;
    const QString fixture = QStringLiteral(QUILBO_TESTDATA "/legacy-store/jet4-album-store.pdb");
    if (!QFile::exists(fixture)) {
        std::printf("skipped: %s is absent\n", qPrintable(fixture));
        return 0;
    }
    QTemporaryDir dir(QDir::current().filePath(QStringLiteral("bench-XXXXXX")));
    AlbumStore store;
    const QString path = Bench::openNewStore(dir, store);
    std::printf("fixture: %.0f KB, largest picture 405 KB; store in %s\n", QFileInfo(fixture).size() / 1024.0,
                qPrintable(path));
    std::vector<double> times;
    for (int i = 1; i <= imports; ++i) {
        QElapsedTimer t;
        t.start();
        const LegacyImport::Summary summary =
            LegacyImport::run(store, fixture, LegacyImport::Progress(), {QStringLiteral(QUILBO_LEGACY_READER_BENCH), 0});
        times.push_back(double(t.nsecsElapsed()) / 1e6);
        if (!summary.imported) {
            std::printf("import %d FAILED: %s\n", i, qPrintable(summary.failure));
            return 1;
        }
        if (i == 1 || i == 10 || i == imports || (i % 50) == 0)
            std::printf("after %4d imports (%5d pictures): peak resident %.1f MB, store %.0f MB\n", i, i * 5, Bench::peakMb(),
                        QFileInfo(path).size() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("one import: median %.1f ms [min %.1f, max %.1f]\n", times[times.size() / 2], times.front(),
                times.back());
    return Bench::exitStatus();
}
