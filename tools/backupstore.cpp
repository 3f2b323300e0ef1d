// Backs up an album store to a file: the child process of the test that
// kills a backup at random moments.
//   backupstore STORE TARGET

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
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: backupstore STORE TARGET\n");
        return 2;
    }
    AlbumStore store;
    if (!openToolStore(store, "backupstore", args.at(0)))
        return 1;
    if (!store.backupStore(args.at(0), args.at(1))) {
        std::fprintf(stderr, "backupstore: the backup to %s failed\n", qPrintable(args.at(1)));
        return 1;
    }
    return 0;
}
