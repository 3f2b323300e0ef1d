// Creates an empty album store. With --if-missing, an existing file is kept
// as it is and the tool succeeds: the build runs it on every build, and a
// store that holds someone's photos is never replaced.

#include "CoreDumps.h"
#include "StoreSchema.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    preventCoreDumps();
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool ifMissing = args.removeAll(QStringLiteral("--if-missing")) > 0;
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: mkstore [--if-missing] PATH\n");
        return 2;
    }
    const QString path = args.first();
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        if (ifMissing)
            return 0;
        std::fprintf(stderr, "mkstore: %s already exists; it is left as it is\n", qPrintable(path));
        return 1;
    }
    QString error;
    if (!StoreSchema::createEmptyStore(path, &error)) {
        std::fprintf(stderr, "mkstore: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("Created the empty album store %s\n", qPrintable(path));
    return 0;
}
