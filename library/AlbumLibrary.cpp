#include "AlbumLibrary.h"

#include "AlbumCipher.h"
#include "StoreCheck.h"
#include "StoreError.h"
#include "StoreSchema.h"
#include "TextRules.h"

#include <QElapsedTimer>
#include <QEventLoop>

AlbumLibrary::AlbumLibrary(AlbumStore &store, QObject *parent) : QObject(parent), m_store(store) {}

bool AlbumLibrary::open(const QString &path)
{
    m_unlocked.clear();
    return m_store.openStore(path);
}

void AlbumLibrary::checkPagesInBackground()
{
    delete m_check;
    m_check = new StoreCheck(m_store.path(), this);
    connect(m_check, &StoreCheck::damageFound, this, [this] { m_store.markDamaged(); });
    connect(m_check, &StoreCheck::foundWhole, this, [this] { m_store.noteFoundWhole(); });
    m_checkDone = false;
    connect(m_check, &StoreCheck::finished, this, [this] {
        m_checkDone = true;
        emit pagesChecked();
    });
    // The verdict comes on this thread: a loop takes it meanwhile, taking
    // no input, so that nothing changes under the write waiting.
    m_store.setCheckWaiter([this] {
        if (m_checkDone)
            return;
        QEventLoop wait;
        connect(this, &AlbumLibrary::pagesChecked, &wait, &QEventLoop::quit);
        if (m_waitIndicator)
            m_waitIndicator(true);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
        if (m_waitIndicator)
            m_waitIndicator(false);
    });
    m_check->start();
}

bool AlbumLibrary::compact(const QString &storePath, qint64 *roomNeeded)
{
    const bool compacted = m_store.compactStore(storePath);
    if (roomNeeded)
        *roomNeeded = m_store.compactionRoomNeeded();
    return compacted;
}

bool AlbumLibrary::backUp(const QString &storePath, const QString &target)
{
    return m_store.backupStore(storePath, target);
}

QString AlbumLibrary::errorMessage(const std::exception &error)
{
    if (const auto *storeError = dynamic_cast<const SqlError *>(&error))
        return storeErrorMessage(*storeError);
    return QString::fromUtf8(error.what());
}

QString AlbumLibrary::storeFailureMessage(int code, const QString &detail) { return storeErrorMessage(code, detail); }

bool AlbumLibrary::createEmptyStore(const QString &path, QString *error)
{
    return StoreSchema::createEmptyStore(path, error);
}

// ---------------------------------------------------------------- albums

QStringList AlbumLibrary::albums()
{
    QStringList list;
    m_store.listAlbums(&list);
    return list;
}

bool AlbumLibrary::albumExists(const QString &name) { return m_store.findAlbumId(trimText(name)) >= 0; }

bool AlbumLibrary::albumHasPassword(const QString &name) { return m_store.albumHasPassword(trimText(name)); }

bool AlbumLibrary::addAlbum(const QString &name, const QString &password)
{
    if (!m_store.addAlbum(name, password))
        return false;
    // A new protected album starts closed, as any other.
    m_store.forgetAlbumKey(trimText(name));
    emit albumAdded(trimText(name));
    return true;
}

bool AlbumLibrary::deleteAlbum(const QString &name)
{
    const QString album = trimText(name);
    if (!m_store.deleteAlbum(album))
        return false;
    m_unlocked.remove(album);
    emit albumRemoved(album);
    return true;
}

bool AlbumLibrary::setAlbumPassword(const QString &name, const QString &password)
{
    const QString album = trimText(name);
    if (!m_store.setAlbumPassword(album, password))
        return false;
    // Its key was opened to change it: open now only if it was before.
    if (!m_unlocked.contains(album))
        m_store.forgetAlbumKey(album);
    emit albumProtectionChanged(album);
    return true;
}

// ---------------------------------------------------------------- open albums

bool AlbumLibrary::unlock(const QString &album, const QString &password)
{
    const QString name = trimText(album);
    // An album without a password is open to anyone, always.
    if (!m_store.albumHasPassword(name))
        return true;
    if (!m_store.checkAlbumPassword(name, password))
        return false;
    if (!m_unlocked.contains(name)) {
        m_unlocked.insert(name);
        emit albumUnlocked(name);
    }
    return true;
}

void AlbumLibrary::lock(const QString &album)
{
    const QString name = trimText(album);
    m_store.forgetAlbumKey(name);
    if (m_unlocked.remove(name))
        emit albumLocked(name);
}

bool AlbumLibrary::isUnlocked(const QString &album) { return m_unlocked.contains(trimText(album)); }

void AlbumLibrary::lockAllBut(const QStringList &keep)
{
    QSet<QString> kept;
    for (const QString &album : keep)
        kept.insert(trimText(album));
    for (const QString &album : m_unlocked - kept)
        lock(album);
}

AlbumLibraryTask::~AlbumLibraryTask()
{
    const QSet<QString> opened = m_library.m_unlocked - m_before;
    for (const QString &album : opened)
        m_library.lock(album);
}

// ---------------------------------------------------------------- pictures

QStringList AlbumLibrary::pictureNames(const QString &album)
{
    QStringList list;
    m_store.listPictureNames(m_store.findAlbumId(trimText(album)), &list);
    return list;
}

PictureImport::Summary AlbumLibrary::importFiles(const QString &album, const QStringList &paths,
                                                const PictureImport::Progress &progress)
{
    const QString name = trimText(album);
    const int albumId = m_store.findAlbumId(name);
    if (albumId < 0)
        throw std::runtime_error(tr("相册库中不存在该相册!").toStdString());
    QList<PictureImport::LeftOut> missing;
    const QStringList files = PictureImport::collectFiles(paths, &missing);
    // Every view shows what was stored, whatever stopped the import.
    struct Announce
    {
        AlbumLibrary &library;
        const QString &album;
        ~Announce() { emit library.picturesAdded(album); }
    } announce{*this, name};
    // Told as it goes, a few pictures at a time, so that the views show them
    // and their thumbnails are made meanwhile.
    QElapsedTimer sinceTold;
    sinceTold.start();
    PictureImport::Summary summary = PictureImport::run(
        m_store, albumId, files,
        [&](int done, int total, const QString &file) {
            if (done > 0 && sinceTold.elapsed() >= 250) {
                emit picturesAdded(name);
                sinceTold.restart();
            }
            return !progress || progress(done, total, file);
        },
        PictureImport::ReadAhead::WithThumbnails);
    summary.leftOut = missing + summary.leftOut;
    return summary;
}

QString AlbumLibrary::pictureFailureCause(const AlbumStore::PictureFailure &failure)
{
    using Failure = AlbumStore::PictureFailure;
    switch (failure.kind) {
    case Failure::None:
        break;
    case Failure::DuplicateName:
        return tr("该相册中已有同名的图片");
    case Failure::Unreadable:
        return tr("无法读取该文件 (%1)").arg(failure.detail);
    case Failure::Empty:
        return tr("该文件是空的,不是图片");
    case Failure::NotAPicture:
        return failure.detail;
    case Failure::UnsafeName:
        return tr("文件名中包含控制字符或文字方向控制字符");
    case Failure::NoSuchAlbum:
        return tr("相册库中不存在该相册");
    case Failure::Damaged:
        return tr("相册库已损坏,不再写入,请用备份恢复相册库");
    case Failure::Store:
        return storeFailureMessage(failure.storeCode, failure.detail);
    case Failure::Locked:
        return tr("该相册已设置访问密码,请先输入密码");
    }
    return QString();
}

QList<AlbumStore::DetachedPicture> AlbumLibrary::picturesWithoutThumbnail(const QString &album)
{
    const int id = m_store.findAlbumId(trimText(album));
    return id < 0 ? QList<AlbumStore::DetachedPicture>() : m_store.picturesWithoutThumbnail(id);
}

QList<int> AlbumLibrary::pictureIds(const QString &album)
{
    QStringList list;
    m_store.listPictureIds(m_store.findAlbumId(trimText(album)), &list);
    QList<int> ids;
    ids.reserve(list.size());
    for (const QString &id : std::as_const(list))
        ids.append(id.toInt());
    return ids;
}

int AlbumLibrary::pictureId(const QString &album, const QString &name)
{
    return m_store.findPictureId(m_store.findAlbumId(trimText(album)), trimText(name));
}

QString AlbumLibrary::pictureName(int pictureId) { return m_store.pictureName(pictureId); }

bool AlbumLibrary::addPicture(const QString &album, const QString &path, PictureFailure *failure)
{
    return addPicture(album, path, PictureImport::FilesAhead({path}, {}, PictureImport::ReadAhead::No).next(), failure);
}

bool AlbumLibrary::addPicture(const QString &album, const QString &path, const PictureImport::ReadFile &read,
                              PictureFailure *failure)
{
    if (!read.error.isEmpty()) {
        if (failure) {
            *failure = PictureFailure();
            failure->kind = PictureFailure::Unreadable;
            failure->detail = read.error;
        }
        return false;
    }
    const QString name = trimText(album);
    if (!m_store.addPictureData(m_store.findAlbumId(name), AlbumStore::pictureNameOf(path),
                                AlbumStore::pictureExtensionOf(path), read.bytes, failure, read.hash))
        return false;
    emit picturesAdded(name);
    return true;
}

PictureImport::Hasher AlbumLibrary::contentHasher(const QString &album)
{
    try {
        return m_store.contentHasher(m_store.findAlbumId(trimText(album)));
    } catch (const AlbumCipher::CipherError &) {
        return {};
    } catch (const SqlError &) {
        return {}; // told by the store when a picture is added
    }
}

bool AlbumLibrary::deletePicture(const QString &album, const QString &name)
{
    const QString albumName = trimText(album);
    if (!m_store.deletePicture(m_store.findAlbumId(albumName), trimText(name)))
        return false;
    emit pictureRemoved(albumName, trimText(name));
    return true;
}

bool AlbumLibrary::renamePicture(const QString &album, const QString &from, const QString &to)
{
    const QString albumName = trimText(album);
    if (!m_store.renamePicture(m_store.findAlbumId(albumName), from, to))
        return false;
    emit pictureRenamed(albumName, from, to);
    return true;
}

LegacyImport::Summary AlbumLibrary::importOldStore(const QString &file, const LegacyImport::Progress &progress)
{
    const LegacyImport::Summary summary = LegacyImport::run(m_store, file, progress);
    if (summary.imported)
        emit albumsReplaced();
    return summary;
}
