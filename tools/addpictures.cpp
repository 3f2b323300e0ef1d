// Adds picture files to an album of a store, making the album when it is
// missing: for trying the program and for benchmarks, before the import
// dialog is at hand.
//   addpictures STORE ALBUM [--password PW] FILE...

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
    QStringList args = app.arguments().mid(1);
    QString password;
    const qsizetype p = args.indexOf(QStringLiteral("--password"));
    if (p >= 0 && p + 1 < args.size()) {
        password = args.at(p + 1);
        args.remove(p, 2);
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: addpictures STORE ALBUM [--password PW] FILE...\n");
        return 2;
    }
    AlbumStore store;
    if (!openToolStore(store, "addpictures", args.at(0)))
        return 1;
    if (!checkToolStore(store, "addpictures"))
        return 1;
    const QString album = args.at(1);
    if (store.findAlbumId(album) < 0 && !store.addAlbum(album, password)) {
        std::fprintf(stderr, "addpictures: cannot add the album %s\n", qPrintable(album));
        return 1;
    }
    // A protected album takes pictures only with its key open.
    if (!openToolAlbum(store, "addpictures", album, password))
        return 1;
    const int id = store.findAlbumId(album);
    int failed = 0;
    for (const QString &file : args.mid(2)) {
        AlbumStore::PictureFailure failure;
        if (!store.addPicture(id, file, &failure)) {
            std::fprintf(stderr, "addpictures: %s was not added%s%s\n", qPrintable(file), failure.detail.isEmpty() ? "" : ": ",
                         qPrintable(failure.detail));
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
