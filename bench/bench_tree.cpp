// Filling the album tree from a store of 1,000 albums of 100 pictures,
// against one query reading the same names.
//   bench_tree [albums] [pictures per album]

#include "AlbumLibrary.h"
#include "AlbumStore.h"
#include "BenchUtil.h"
#include "LargeBuffers.h"
#include "AlbumTreeModel.h"
#include "QtPromptHandler.h"
#include "Sql.h"
#include "StoreSchema.h"

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    keepLargeBuffers();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int albums = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int pictures = argc > 2 ? std::atoi(argv[2]) : 100;

    QTemporaryDir dir;
    AlbumStore store;
    const QString path = Bench::openNewStore(dir, store);
    {
        SqlTransaction t(store.connection());
        int id = 0;
        for (int a = 1; a <= albums; ++a) {
            SqlStatement album(store.connection(), QStringLiteral("INSERT INTO PicLibTable (PicLibID, PicLibName, PicPass) VALUES (?, ?, '')"));
            album.bind(1, a).bind(2, QStringLiteral("相册 %1").arg(a)).exec();
            for (int p = 0; p < pictures; ++p) {
                ++id;
                SqlStatement i(store.connection(), QStringLiteral("INSERT INTO PicInfoTable (PicInfoID, PicLibID, PicName, PicExt) VALUES (?, ?, ?, 'jpg')"));
                i.bind(1, id).bind(2, a).bind(3, QStringLiteral("IMG_%1").arg(id, 6, 10, QLatin1Char('0'))).exec();
                SqlStatement b(store.connection(), QStringLiteral("INSERT INTO PicTable (PicInfoID, Pic) VALUES (?, ?)"));
                b.bind(1, id).bindBlob(2, QByteArray(2048, 'x')).exec();
            }
        }
        t.commit();
    }
    store.closeStore();
    std::printf("store: %d albums x %d pictures\n", albums, pictures);

    AlbumLibrary library(store);
    store.openStore(path);
    AlbumTreeModel model(library);
    // The baseline: one query reading every album and picture name.
    const double raw = Bench::medianMs(5, [&] {
        qsizetype names = 0;
        SqlStatement all(store.connection(), QStringLiteral("SELECT l.PicLibName, i.PicName FROM PicLibTable l "
                                                            "LEFT JOIN PicInfoTable i ON i.PicLibID = l.PicLibID "
                                                            "ORDER BY l.PicLibID, i.PicInfoID"));
        while (all.next())
            names += all.text(0).size() + all.text(1).size();
        if (names == 0)
            std::printf("no names read\n");
    });
    // The albums are read at start, their pictures when each is opened:
    // here every one of them.
    const double tree = Bench::medianMs(5, [&] {
        model.reload();
        const QModelIndex root = model.rootIndex();
        for (int a = 0; a < model.rowCount(root); ++a)
            model.fetchMore(model.index(a, 0, root));
    });
    std::printf("tree holds %d albums\n", model.rowCount(model.rootIndex()));
    Bench::report("the tree read, every album opened", tree, "one query of every name", raw, 3.0);
    return Bench::exitStatus();
}
