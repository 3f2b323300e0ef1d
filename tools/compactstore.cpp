// Compacts an album store a number of times in a row: the child process of
// the test that kills a compaction at random moments.
//   compactstore STORE [TIMES]

#include "CoreDumps.h"
#include "LargeBuffers.h"
#include "ToolStore.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    preventCoreDumps();
    keepLargeBuffers();
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: compactstore STORE [TIMES]\n");
        return 2;
    }
    AlbumStore store;
    if (!openToolStore(store, "compactstore", args.at(0)))
        return 1;
    if (!checkToolStore(store, "compactstore"))
        return 1;
    const int times = args.size() > 1 ? args.at(1).toInt() : 1;
    for (int i = 0; i < times; ++i) {
        if (!store.compactStore(args.at(0))) {
            std::fprintf(stderr, "compactstore: compaction %d failed\n", i + 1);
            return 1;
        }
    }
    std::printf("compacted %d times\n", times);
    return 0;
}
