// Album and picture records: every statement runs on the one connection with
// bound parameters. Which operations catch errors and which pass them on is
// part of each operation's contract (see AlbumStore.h).

#include "AlbumStore.h"
#include "FileWriting.h"
#include "JpegCodec.h"
#include "PictureCodec.h"
#include "StoreSchema.h"
#include "StreamedBytes.h"
#include "TextRules.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <sqlite3.h>

// ---------------------------------------------------------------- albums

// Albums are listed in the order they were made, so that a new album, which
// the tree appends at the end, stays there after a rebuild.
void AlbumStore::listAlbums(QStringList *list)
{
    if (!list)
        return;
    SqlStatement q(connection(), QStringLiteral("SELECT PicLibName FROM PicLibTable ORDER BY PicLibID"));
    QStringList names;
    while (q.next())
        names.append(q.text(0));
    *list = names;
}

QList<bool> AlbumStore::albumsHoldingPictures()
{
    SqlStatement q(connection(), QStringLiteral("SELECT EXISTS (SELECT 1 FROM PicInfoTable i WHERE i.PicLibID = l.PicLibID) "
                                                "FROM PicLibTable l ORDER BY l.PicLibID"));
    QList<bool> holding;
    while (q.next())
        holding.append(q.int64(0) != 0);
    return holding;
}

int AlbumStore::findAlbumId(const QString &name)
{
    try {
        SqlStatement q(connection(), QStringLiteral("SELECT PicLibID FROM PicLibTable WHERE PicLibName = ?"));
        q.bind(1, name);
        return q.next() ? int(q.int64(0)) : -1;
    } catch (const SqlError &) {
        return -1;
    }
}

bool AlbumStore::addAlbum(const QString &name, const QString &password)
{
    if (!isSafeName(name))
        return false;
    try {
        checkBeforeWriting();
        AlbumCipher::Key key;
        SqlTransaction t(connection());
        const int id = insertAlbum(name, password, &key);
        t.commit();
        if (!key.isNull())
            m_albumKeys[id] = std::move(key);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

int AlbumStore::insertAlbum(const QString &name, const QString &password, AlbumCipher::Key *key)
{
    checkBeforeWriting();
    const QByteArray folded = AlbumCipher::foldedPassword(password);
    const int id = nextId(QStringLiteral("PicLibTable"), QStringLiteral("PicLibID"));
    SqlStatement q(connection(),
                   QStringLiteral("INSERT INTO PicLibTable (PicLibID, PicLibName, PicPass) VALUES (?, ?, '')"));
    q.bind(1, id).bind(2, trimText(name)).exec();
    if (!folded.isEmpty()) {
        StoreSchema::createKeyTable(connection());
        AlbumCipher::Key made = AlbumCipher::Key::random();
        writeAlbumProtection(id, AlbumCipher::protectMeanwhile(made, folded, id));
        *key = std::move(made);
    }
    return id;
}

void AlbumStore::insertPicture(int pictureId, int albumId, const QString &name, const QString &extension,
                               const QByteArray &bytes, const AlbumCipher::Key *key, QByteArray hash)
{
    checkBeforeWriting();
    SqlStatement info(connection(), QStringLiteral("INSERT INTO PicInfoTable (PicInfoID, PicLibID, PicName, PicExt) "
                                                   "VALUES (?, ?, ?, ?)"));
    info.bind(1, pictureId).bind(2, albumId).bind(3, name).bind(4, extension).exec();
    // A protected album's pictures are stored encrypted with its key.
    SqlStatement data(connection(), QStringLiteral("INSERT INTO PicTable (PicInfoID, Pic) VALUES (?, ?)"));
    data.bind(1, pictureId).bindBlob(2, key ? AlbumCipher::encrypt(*key, albumId, pictureId, bytes) : bytes).exec();
    writeHash(pictureId, hash.isEmpty() ? hashWith(key, bytes) : hash);
}

bool AlbumStore::deleteAlbum(const QString &name)
{
    try {
        checkBeforeWriting();
        const int id = findAlbumId(name);
        SqlStatement q(connection(), QStringLiteral("DELETE FROM PicLibTable WHERE PicLibName = ?"));
        q.bind(1, name).exec();
        m_albumKeys.erase(id);
        return true;
    } catch (const SqlError &) {
        return false;
    }
}

bool AlbumStore::albumHasPassword(const QString &name)
{
    SqlStatement q(connection(), QStringLiteral("SELECT PicPass FROM PicLibTable WHERE PicLibName = ?"));
    q.bind(1, name);
    return q.next() && !trimText(q.text(0)).isEmpty();
}

// ---------------------------------------------------------------- pictures

QString AlbumStore::pictureNameOf(const QString &path)
{
    const QString file = QFileInfo(path).fileName();
    const qsizetype dot = file.indexOf(QLatin1Char('.'));
    return trimText(dot < 0 ? file : file.left(dot));
}

QString AlbumStore::pictureExtensionOf(const QString &path)
{
    const QString file = QFileInfo(path).fileName();
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : trimText(file.mid(dot + 1));
}

bool AlbumStore::addPicture(int albumId, const QString &path, PictureFailure *failure)
{
    PictureFailure unused;
    PictureFailure &why = failure ? *failure : unused;
    why = PictureFailure();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why.kind = PictureFailure::Unreadable;
        why.detail = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        why.kind = PictureFailure::Unreadable;
        why.detail = file.errorString();
        return false;
    }
    return addPictureData(albumId, pictureNameOf(path), pictureExtensionOf(path), bytes, &why);
}

bool AlbumStore::addPictureData(int albumId, const QString &name, const QString &extension, const QByteArray &bytes,
                                PictureFailure *failure, const QByteArray &hash, const QByteArray &thumbnail)
{
    PictureFailure unused;
    PictureFailure &why = failure ? *failure : unused;
    why = PictureFailure();
    if (m_damaged) {
        why.kind = PictureFailure::Damaged;
        return false;
    }
    if (!isSafeName(name)) {
        why.kind = PictureFailure::UnsafeName;
        return false;
    }
    // An empty file is no picture: it could never be shown or exported.
    if (bytes.isEmpty()) {
        why.kind = PictureFailure::Empty;
        return false;
    }
    // Nor is anything the viewer cannot decode (another format, a 12-bit
    // JPEG): it would only ever show an error.
    try {
        PictureCodec::checkHeader(bytes);
    } catch (const JpegCodec::JpegError &e) {
        why.kind = PictureFailure::NotAPicture;
        why.detail = QString::fromUtf8(e.what());
        return false;
    }
    try {
        checkBeforeWriting();
        SqlTransaction t(connection());
        // The id is taken inside the transaction, so nothing can take it in
        // between.
        const int id = nextId(QStringLiteral("PicInfoTable"), QStringLiteral("PicInfoID"));
        const AlbumCipher::Key *key = openKey(albumId);
        // A protected album takes pictures only encrypted with its key: not
        // without it, nor when its key row is gone.
        if (!key && albumIsKeyed(albumId)) {
            why.kind = PictureFailure::Locked;
            return false;
        }
        insertPicture(id, albumId, name, extension, bytes, key, hash);
        if (!thumbnail.isEmpty())
            writeThumbnail(albumId, id, key, thumbnail);
        t.commit();
        return true;
    } catch (const SqlError &e) {
        constexpr int constraint = 19;
        if (m_damaged)
            why.kind = PictureFailure::Damaged;
        else if (e.code() == constraint)
            why.kind = findPictureId(albumId, name) != -1 ? PictureFailure::DuplicateName : PictureFailure::NoSuchAlbum;
        else
            why.kind = PictureFailure::Store;
        why.detail = QString::fromUtf8(e.what());
        why.storeCode = e.code();
        return false;
    }
}

bool AlbumStore::deletePicture(int albumId, const QString &name)
{
    try {
        checkBeforeWriting();
        SqlStatement q(connection(), QStringLiteral("DELETE FROM PicInfoTable WHERE PicLibID = ? AND PicName = ?"));
        q.bind(1, albumId).bind(2, name).exec();
        return true;
    } catch (const SqlError &) {
        return false;
    }
}

bool AlbumStore::renamePicture(int albumId, const QString &oldName, const QString &newName)
{
    if (!isSafeName(newName))
        return false;
    try {
        checkBeforeWriting();
        SqlStatement q(connection(),
                       QStringLiteral("UPDATE PicInfoTable SET PicName = ? WHERE PicName = ? AND PicLibID = ?"));
        q.bind(1, newName).bind(2, oldName).bind(3, albumId).exec();
        return true;
    } catch (const SqlError &) {
        return false;
    }
}

int AlbumStore::findPictureId(int albumId, const QString &name)
{
    try {
        SqlStatement q(connection(),
                       QStringLiteral("SELECT PicInfoID FROM PicInfoTable WHERE PicName = ? AND PicLibID = ?"));
        q.bind(1, name).bind(2, albumId);
        return q.next() ? int(q.int64(0)) : -1;
    } catch (const SqlError &) {
        return -1;
    }
}

QString AlbumStore::pictureName(int pictureId)
{
    SqlStatement q(connection(), QStringLiteral("SELECT PicName FROM PicInfoTable WHERE PicInfoID = ?"));
    q.bind(1, pictureId);
    return q.next() ? q.text(0) : QString();
}

namespace {

// Pictures are listed in the order they were imported.
void listAlbumColumn(AlbumStore &store, const char *column, int albumId, QStringList *list)
{
    if (!list)
        return;
    list->clear();
    try {
        // Read through the (album, name) index, which holds the id too, and
        // put in the store's order here: SQLite would sort the rows in a
        // temporary tree, the larger part of the time for a large album.
        SqlStatement q(store.connection(),
                       QStringLiteral("SELECT PicInfoID, %1 FROM PicInfoTable WHERE PicLibID = ?")
                           .arg(QLatin1String(column)));
        q.bind(1, albumId);
        std::vector<std::pair<qint64, QString>> rows;
        while (q.next())
            rows.emplace_back(q.int64(0), q.text(1));
        std::sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        list->reserve(qsizetype(rows.size()));
        for (auto &row : rows)
            list->append(std::move(row.second));
    } catch (const SqlError &) {
        list->clear();
    }
}

} // namespace

void AlbumStore::listPictureIds(int albumId, QStringList *list)
{
    listAlbumColumn(*this, "PicInfoID", albumId, list);
}

void AlbumStore::listPictureNames(int albumId, QStringList *list)
{
    listAlbumColumn(*this, "PicName", albumId, list);
}

QByteArray AlbumStore::pictureData(int pictureId, bool *found)
{
    SqlStatement q(connection(), QStringLiteral("SELECT Pic FROM PicTable WHERE PicInfoID = ?"));
    q.bind(1, pictureId);
    const bool row = q.next();
    if (found)
        *found = row;
    return row ? plainPicture(pictureId, q.blob(0)) : QByteArray();
}

bool AlbumStore::streamPictureData(int pictureId, StreamedBytes &into, const std::function<bool()> &ready)
{
    SqlConnection &db = connection();
    // Whatever way this ends, the blob is closed and a reader never waits
    // for bytes that will not come.
    struct Reading
    {
        StreamedBytes &into;
        sqlite3_blob *blob = nullptr;
        ~Reading()
        {
            sqlite3_blob_close(blob);
            if (!into.isComplete())
                into.fail();
        }
    } reading{into};
    if (sqlite3_blob_open(db.handle(), "main", "PicTable", "Pic", pictureId, 0, &reading.blob) != SQLITE_OK) {
        // No such row, or a row without bytes: the plain read tells which.
        bool found = false;
        const QByteArray bytes = pictureData(pictureId, &found);
        if (!found)
            return false;
        std::memcpy(into.begin(bytes.size()), bytes.constData(), size_t(bytes.size()));
        into.arrived(bytes.size());
        if (ready)
            ready();
        return true;
    }
    const int size = sqlite3_blob_bytes(reading.blob);
    const auto readAt = [&](char *to, int n, int offset) {
        if (const int rc = sqlite3_blob_read(reading.blob, to, n, offset); rc != SQLITE_OK)
            db.fail(rc);
    };
    bool started = !ready;
    char header[AlbumCipher::HeaderSize];
    const int headerBytes = std::min(size, int(AlbumCipher::HeaderSize));
    readAt(header, headerBytes, 0);
    if (AlbumCipher::isEncrypted(header, headerBytes)) {
        // A protected album's picture, decrypted a few chunks at a time as
        // it is read: the decoder starts on the first ones.
        const int albumId = albumOfPicture(pictureId);
        const AlbumCipher::Key *key = openKey(albumId);
        if (!key)
            throw AlbumCipher::lockedAlbum();
        AlbumCipher::Decryptor decryptor(*key, albumId, pictureId, header, size);
        char *buffer = into.begin(decryptor.plainSize());
        QByteArray piece(4 * AlbumCipher::Decryptor::StoredChunk, Qt::Uninitialized);
        qsizetype plainDone = 0;
        int done = AlbumCipher::HeaderSize;
        do {
            const int n = std::min(int(piece.size()), size - done);
            readAt(piece.data(), n, done);
            plainDone += decryptor.decryptChunks(piece.constData(), n, buffer + plainDone);
            done += n;
            into.arrived(plainDone);
            if (!started)
                started = ready();
        } while (done < size);
        if (!decryptor.finished())
            throw AlbumCipher::damagedPicture();
        return true;
    }
    refuseClearPictureOfKeyedAlbum(pictureId);
    char *buffer = into.begin(size);
    // Pieces large enough for a picture's header to come whole in the first.
    constexpr int kPiece = 256 * 1024;
    int done = 0;
    do {
        const int n = std::min(kPiece, size - done);
        readAt(buffer + done, n, done);
        done += n;
        into.arrived(done);
        if (!started)
            started = ready();
    } while (done < size);
    return true;
}

bool AlbumStore::exportPictureFile(int pictureId, const QString &folder)
{
    return writePictureFile(pictureId, folder, pictureData(pictureId));
}

QString AlbumStore::exportExtension(int pictureId, const QByteArray &bytes)
{
    // A JPEG is written as .jpg, whatever it came as; another format with
    // the extension it came with where that names its format, else the
    // format's own.
    const QByteArray format = PictureCodec::otherFormat(bytes);
    if (format.isEmpty())
        return QStringLiteral("jpg");
    SqlStatement q(connection(), QStringLiteral("SELECT PicExt FROM PicInfoTable WHERE PicInfoID = ?"));
    q.bind(1, pictureId);
    const QString stored = q.next() ? q.text(0).toLower() : QString();
    const bool names = stored == QLatin1String(format) || (format == "tiff" && stored == QLatin1String("tif"))
                       || (format == "heic" && stored == QLatin1String("heif"));
    return names && safeEntryName(stored) ? stored : QString::fromLatin1(format);
}

bool AlbumStore::writePictureFile(int pictureId, const QString &folder, const QByteArray &bytes)
{
    const QString name = pictureName(pictureId);
    // A link under a picture's name, even one pointing nowhere, is left
    // alone: nothing is written where it points.
    const QString file = folder + QLatin1Char('/') + name + QLatin1Char('.') + exportExtension(pictureId, bytes);
    return safeEntryName(name) && !QFileInfo(file).isSymLink() && writeFileAtomically(file, bytes);
}

void AlbumStore::loadPicture(QImage *picture, int pictureId)
{
    if (!picture)
        return;
    SqlStatement q(connection(), QStringLiteral("SELECT Pic FROM PicTable WHERE PicInfoID = ?"));
    q.bind(1, pictureId);
    if (!q.next())
        return;
    // Decoded straight from the store's own buffer, without a copy, unless
    // it is to be decrypted first.
    const QByteArray stored = q.blobView(0);
    if (!AlbumCipher::isEncrypted(stored))
        refuseClearPictureOfKeyedAlbum(pictureId);
    *picture = PictureCodec::decode(AlbumCipher::isEncrypted(stored) ? plainPicture(pictureId, stored) : stored);
}

bool AlbumStore::savePictureFile(const QImage *picture, const QString &path, const QString &ext)
{
    if (!picture)
        return false;
    if (picture->isNull())
        return true;
    try {
        return writeFileAtomically(path + QLatin1Char('.') + ext, JpegCodec::encode(*picture, JpegCodec::SaveQuality));
    } catch (const std::exception &) {
        return false;
    }
}
