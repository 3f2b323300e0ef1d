#include "FileIO.h"

#include <QSaveFile>

bool WriteFileAtomically(const QString &path, const QByteArray &data, QString *error)
{
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
    if (!ok) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
    }
    return ok;
}
