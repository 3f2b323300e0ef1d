// Sets, changes or removes an album's password, as the password dialogs
// do: setting one encrypts the album's pictures, removing it (an empty new
// password) decrypts them, each in one transaction.
//   albumpassword [--least-cost] [--killed-after-pages N] STORE ALBUM OLD NEW
// OLD is empty for an album without one. --least-cost (for the tests, which
// kill this tool many times over) writes the album key at libsodium's least
// cost; the program never does. --killed-after-pages (for the tests too)
// ends the tool as a kill would once N pages of the clearing that follows
// an encryption are written.

#include "CoreDumps.h"
#include "LargeBuffers.h"
#include "StoreScrub.h"
#include "ToolStore.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    preventCoreDumps();
    keepLargeBuffers();
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--least-cost")) {
        AlbumCipher::useLeastCostForTests(true);
        args.removeFirst();
    }
    if (args.value(0) == QLatin1String("--killed-after-pages")) {
        const qint64 pages = args.value(1).toLongLong();
        StoreScrub::setPageWrittenHook([pages](qint64 written) {
            if (written >= pages)
                ::_exit(137);
        });
        args.remove(0, 2);
    }
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: albumpassword [--least-cost] [--killed-after-pages N] STORE ALBUM OLD NEW\n");
        return 2;
    }
    AlbumStore store;
    if (!openToolStore(store, "albumpassword", args.at(0)))
        return 1;
    if (!checkToolStore(store, "albumpassword"))
        return 1;
    const QString album = args.at(1);
    if (store.findAlbumId(album) < 0) {
        std::fprintf(stderr, "albumpassword: no album %s\n", qPrintable(album));
        return 1;
    }
    if (!openToolAlbum(store, "albumpassword", album, args.at(2)))
        return 1;
    try {
        return store.setAlbumPassword(album, args.at(3)) ? 0 : 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "albumpassword: %s\n", e.what());
        return 1;
    }
}
