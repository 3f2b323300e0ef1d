// Album and picture records: every statement runs on the one connection with
// bound parameters. Which operations catch errors and which pass them on is
// part of each operation's contract (see PicDMUnit.h).

#include "FileIO.h"
#include "ImageOps.h"
#include "JpegCodec.h"
#include "PicDMUnit.h"
#include "StoreSchema.h"
#include "TextRules.h"

#include <QFile>
#include <QFileInfo>

// ---------------------------------------------------------------- albums

// Albums are listed in the order they were made, so that a new album, which
// the tree appends at the end, stays there after a rebuild.
void TPicDM::ListAlbums(QStringList *list)
{
    if (!list)
        return;
    SqlStatement q(Db(), QStringLiteral("Select PicLibName From PicLibTable Order By PicLibID"));
    QStringList names;
    while (q.next())
        names.append(q.text(0));
    *list = names;
}

int TPicDM::FindAlbumId(const QString &name)
{
    try {
        SqlStatement q(Db(), QStringLiteral("Select PicLibID,PicLibName From PicLibTable Where PicLibName = ?"));
        q.bind(1, name);
        return q.next() ? int(q.int64(q.column("PicLibID"))) : -1;
    } catch (const SqlError &) {
        return -1;
    }
}

bool TPicDM::AddAlbum(const QString &name, const QString &password)
{
    try {
        SqlTransaction t(Db());
        const int id = NextId(QStringLiteral("PicLibTable"), QStringLiteral("PicLibID"));
        SqlStatement q(Db(), QStringLiteral("Insert into PicLibTable(PicLibID, PicLibName, PicPass) Values(?, ?, ?)"));
        q.bind(1, id).bind(2, TrimText(name)).bind(3, TrimText(password)).exec();
        t.commit();
        return true;
    } catch (const SqlError &) {
        return false;
    }
}

bool TPicDM::DeleteAlbum(const QString &name)
{
    try {
        SqlStatement q(Db(), QStringLiteral("Delete from PicLibTable Where PicLibName = ?"));
        q.bind(1, name).exec();
        return true;
    } catch (const SqlError &) {
        return false;
    }
}

bool TPicDM::AlbumHasPassword(const QString &name)
{
    SqlStatement q(Db(), QStringLiteral("Select PicLibName,PicPass From PicLibTable Where PicLibName = ?"));
    q.bind(1, name);
    return q.next() && !TrimText(q.text(q.column("PicPass"))).isEmpty();
}

bool TPicDM::CheckAlbumPassword(const QString &name, const QString &password)
{
    try {
        // The store's own comparison, which ignores letter case.
        SqlStatement q(Db(), QStringLiteral("Select PicPass = ? From PicLibTable Where PicLibName = ?"));
        q.bind(1, password).bind(2, name);
        return q.next() && q.int64(0) == 1;
    } catch (const SqlError &) {
        return false;
    }
}

bool TPicDM::SetAlbumPassword(const QString &name, const QString &password)
{
    // Only the first album of that name is written, as a lookup finds it.
    SqlStatement q(Db(), QStringLiteral("Update PicLibTable Set PicPass = ? Where PicLibID = "
                                        "(Select PicLibID From PicLibTable Where PicLibName = ? Limit 1)"));
    q.bind(1, TrimText(password)).bind(2, name).exec();
    return Db().changes() > 0;
}

// ---------------------------------------------------------------- pictures

QString TPicDM::ExtractPicName(const QString &path)
{
    const QString file = QFileInfo(path).fileName();
    return TrimText(file.left(file.indexOf(QLatin1Char('.')) < 0 ? file.size() : file.indexOf(QLatin1Char('.'))));
}

QString TPicDM::ExtractPicExt(const QString &path)
{
    const QString file = QFileInfo(path).fileName();
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : TrimText(file.mid(dot + 1));
}

bool TPicDM::AddPicture(int albumId, const QString &path)
{
    try {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = file.readAll();
        // An empty file is no picture: it could never be shown or exported.
        if (file.error() != QFileDevice::NoError || bytes.isEmpty())
            return false;

        SqlTransaction t(Db());
        // The id is taken inside the transaction, so nothing can take it in
        // between.
        const int id = NextId(QStringLiteral("PicInfoTable"), QStringLiteral("PicInfoId"));
        SqlStatement info(Db(), QStringLiteral("Insert into PicInfoTable(PicInfoID, PicLibID, PicName, PicExt)\r\n"
                                               "Values(:s_PicInfoID,:s_PicLibID,:s_PicName,:s_PicExt)\r\n"));
        info.bind(":s_PicInfoID", id)
            .bind(":s_PicLibID", albumId)
            .bind(":s_picName", ExtractPicName(path))
            .bind(":s_PicExt", ExtractPicExt(path))
            .exec();
        SqlStatement pic(Db(), QStringLiteral("Insert into PicTable(PicInfoID,Pic)\r\nValues(:ss_PicInfoId,:ss_Pic)\r\n"));
        pic.bind(":ss_PicInfoId", id).bindBlob(":ss_Pic", bytes).exec();
        t.commit();
        return true;
    } catch (const SqlError &) {
        return false;
    }
}

bool TPicDM::DeletePicture(int albumId, const QString &name)
{
    try {
        SqlStatement q(Db(), QStringLiteral("Delete from PicInfoTable Where PicLibID = ? And PicName = ?"));
        q.bind(1, albumId).bind(2, name).exec();
        return true;
    } catch (const SqlError &) {
        return false;
    }
}

bool TPicDM::RenamePicture(int albumId, const QString &oldName, const QString &newName)
{
    try {
        SqlStatement q(Db(), QStringLiteral("Update PicInfoTable Set PicName = ? Where PicName = ? And PicLibID = ?"));
        q.bind(1, newName).bind(2, oldName).bind(3, albumId).exec();
        return true;
    } catch (const SqlError &) {
        return false;
    }
}

int TPicDM::FindPictureId(int albumId, const QString &name)
{
    try {
        SqlStatement q(Db(), QStringLiteral("Select PicInfoID,PicLibID,PicName From PicInfoTable "
                                            "Where PicName = ? And PicLibID = ?"));
        q.bind(1, name).bind(2, albumId);
        return q.next() ? int(q.int64(q.column("PicInfoID"))) : -1;
    } catch (const SqlError &) {
        return -1;
    }
}

QString TPicDM::GetPictureName(int pictureId)
{
    SqlStatement q(Db(), QStringLiteral("Select PicInfoID,PicName From PicInfoTable Where PicInfoID = ?"));
    q.bind(1, pictureId);
    return q.next() ? q.text(q.column("PicName")) : QString();
}

namespace {

// Pictures are listed in the order they were imported.
void listColumn(TPicDM &dm, const char *sql, const char *column, int albumId, QStringList *list)
{
    if (!list)
        return;
    list->clear();
    try {
        SqlStatement q(dm.Db(), QString::fromLatin1(sql));
        q.bind(1, albumId);
        const int col = q.column(column);
        while (q.next())
            list->append(q.text(col));
    } catch (const SqlError &) {
        list->clear();
    }
}

} // namespace

void TPicDM::ListPictureIds(int albumId, QStringList *list)
{
    listColumn(*this, "Select PicLibID,PicInfoID From PicInfoTable Where PicLibID = ? Order By PicInfoID", "PicInfoID", albumId, list);
}

void TPicDM::ListPictureNames(int albumId, QStringList *list)
{
    listColumn(*this, "select PicLibID,PicName from PicInfoTable Where PicLibID = ? Order By PicInfoID", "PicName", albumId, list);
}

QByteArray TPicDM::PictureData(int pictureId)
{
    SqlStatement q(Db(), QStringLiteral("Select PicInfoID,Pic From PicTable Where PicInfoID = ?"));
    q.bind(1, pictureId);
    return q.next() ? q.blob(q.column("Pic")) : QByteArray();
}

void TPicDM::LoadPicture(QImage *picture, int pictureId)
{
    if (!picture)
        return;
    SqlStatement q(Db(), QStringLiteral("Select PicInfoID,Pic From PicTable Where PicInfoID = ?"));
    q.bind(1, pictureId);
    if (!q.next())
        return;
    // Decoded straight from the store's own buffer, without a copy.
    *picture = JpegCodec::Decode(q.blobView(q.column("Pic")));
}

bool TPicDM::SavePictureFile(const QImage *picture, const QString &path, const QString &ext)
{
    if (!picture)
        return false;
    if (picture->isNull())
        return true;
    try {
        return WriteFileAtomically(path + QLatin1Char('.') + ext, JpegCodec::Encode(*picture, JpegCodec::SaveQuality));
    } catch (const std::exception &) {
        return false;
    }
}

// ---------------------------------------------------------------- images

bool TPicDM::ZoomImage(const QSize &controlSize, long double widthFactor, long double heightFactor, QImage *result) const
{
    const QSize size = ImageOps::ZoomSize(controlSize, widthFactor, heightFactor);
    if (!ImageOps::ZoomAllowed(size))
        return false;
    *result = ImageOps::Stretch(WorkBitmap, size);
    return true;
}
