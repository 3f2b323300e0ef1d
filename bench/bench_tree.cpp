// Filling the album tree from a store of 1,000 albums of 100 pictures,
// against the raw SQL reads of the same names.
//   bench_tree [albums] [pictures per album]

#include "AlbumStore.h"
#include "BenchUtil.h"
#include "ConnectionString.h"
#include "MainWindow.h"
#include "QtPromptHandler.h"
#include "Sql.h"
#include "StoreSchema.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidget>

int main(int argc, char **argv)
{
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
            SqlStatement album(store.connection(), QStringLiteral("Insert into PicLibTable(PicLibID, PicLibName, PicPass) Values(?, ?, '')"));
            album.bind(1, a).bind(2, QStringLiteral("相册 %1").arg(a)).exec();
            for (int p = 0; p < pictures; ++p) {
                ++id;
                SqlStatement i(store.connection(), QStringLiteral("Insert into PicInfoTable(PicInfoID, PicLibID, PicName, PicExt) Values(?, ?, ?, 'jpg')"));
                i.bind(1, id).bind(2, a).bind(3, QStringLiteral("IMG_%1").arg(id, 6, 10, QLatin1Char('0'))).exec();
                SqlStatement b(store.connection(), QStringLiteral("Insert into PicTable(PicInfoID, Pic) Values(?, ?)"));
                b.bind(1, id).bindBlob(2, QByteArray(2048, 'x')).exec();
            }
        }
        t.commit();
    }
    store.closeStore();
    std::printf("store: %d albums x %d pictures\n", albums, pictures);

    MainWindow form(path);
    // The same statements the tree runs, reading the same names, with no tree.
    const double raw = Bench::medianMs(5, [&] {
        qsizetype names = 0;
        SqlStatement list(store.connection(), QStringLiteral("Select PicLibName From PicLibTable Order By PicLibID"));
        while (list.next()) {
            const QString album = list.text(0);
            SqlStatement find(store.connection(), QStringLiteral("Select PicLibID,PicLibName From PicLibTable Where PicLibName = ?"));
            find.bind(1, album);
            find.next();
            SqlStatement pics(store.connection(), QStringLiteral("select PicLibID,PicName from PicInfoTable Where PicLibID = ? Order By PicInfoID"));
            pics.bind(1, find.int64(0));
            while (pics.next())
                names += pics.text(1).size();
        }
        if (names == 0)
            std::printf("no names read\n");
    });
    const double tree = Bench::medianMs(5, [&] { form.buildAlbumTree(); });
    std::printf("tree holds %d albums\n", form.albumTree->topLevelItem(0)->childCount());
    Bench::report("buildAlbumTree", tree, "raw SQL reads of the same names", raw, 3.0);
    return 0;
}
