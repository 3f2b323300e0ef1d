// Filling the album tree from a store of 1,000 albums of 100 pictures,
// against the raw SQL reads of the same names.
//   bench_tree [albums] [pictures per album]

#include "BenchUtil.h"
#include "ConnectionString.h"
#include "MainUnit.h"
#include "PicDMUnit.h"
#include "QtPrompts.h"
#include "SqlDb.h"
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
    TPicDM dm;
    const QString path = Bench::OpenNewStore(dir, dm);
    {
        SqlTransaction t(dm.Db());
        int id = 0;
        for (int a = 1; a <= albums; ++a) {
            SqlStatement album(dm.Db(), QStringLiteral("Insert into PicLibTable(PicLibID, PicLibName, PicPass) Values(?, ?, '')"));
            album.bind(1, a).bind(2, QStringLiteral("相册 %1").arg(a)).exec();
            for (int p = 0; p < pictures; ++p) {
                ++id;
                SqlStatement i(dm.Db(), QStringLiteral("Insert into PicInfoTable(PicInfoID, PicLibID, PicName, PicExt) Values(?, ?, ?, 'jpg')"));
                i.bind(1, id).bind(2, a).bind(3, QStringLiteral("IMG_%1").arg(id, 6, 10, QLatin1Char('0'))).exec();
                SqlStatement b(dm.Db(), QStringLiteral("Insert into PicTable(PicInfoID, Pic) Values(?, ?)"));
                b.bind(1, id).bindBlob(2, QByteArray(2048, 'x')).exec();
            }
        }
        t.commit();
    }
    dm.CloseStore();
    std::printf("store: %d albums x %d pictures\n", albums, pictures);

    TMainForm form(path);
    // The same statements the tree runs, reading the same names, with no tree.
    const double raw = Bench::MedianMs(5, [&] {
        qsizetype names = 0;
        SqlStatement list(dm.Db(), QStringLiteral("Select PicLibName From PicLibTable Order By PicLibID"));
        while (list.next()) {
            const QString album = list.text(0);
            SqlStatement find(dm.Db(), QStringLiteral("Select PicLibID,PicLibName From PicLibTable Where PicLibName = ?"));
            find.bind(1, album);
            find.next();
            SqlStatement pics(dm.Db(), QStringLiteral("select PicLibID,PicName from PicInfoTable Where PicLibID = ? Order By PicInfoID"));
            pics.bind(1, find.int64(0));
            while (pics.next())
                names += pics.text(1).size();
        }
        if (names == 0)
            std::printf("no names read\n");
    });
    const double tree = Bench::MedianMs(5, [&] { form.BuildLibTree(); });
    std::printf("tree holds %d albums\n", form.PicLibView->topLevelItem(0)->childCount());
    Bench::Report("BuildLibTree", tree, "raw SQL reads of the same names", raw, 3.0);
    return 0;
}
