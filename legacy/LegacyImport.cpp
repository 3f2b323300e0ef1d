#include "LegacyImport.h"

#include "AlbumStore.h"
#include "LegacyStream.h"
#include "StoreError.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>

#include <algorithm>
#include <map>

namespace {

struct Failed
{
    QString message;
};

QString endedEarly()
{
    return QCoreApplication::translate("LegacyImport", "读取旧版相册库的程序意外结束,文件可能已损坏");
}
QString incomplete() { return QCoreApplication::translate("LegacyImport", "旧版相册库的数据不完整,文件可能已损坏"); }
// The helper reports its failures in the program's source words.
QString readerMessage(const QString &text)
{
    return QCoreApplication::translate("LegacyReader", text.toUtf8().constData());
}
QString tooMuch()
{
    return QCoreApplication::translate("LegacyImport", "旧版相册库声称的相册、图片或名称多得不可能,文件可能已损坏");
}

// The helper's output, read as it comes, each read bounded in time.
class Channel
{
public:
    Channel(QProcess &process, int timeoutMs) : m_process(process), m_timeoutMs(timeoutMs) {}

    QByteArray read(qint64 count)
    {
        QElapsedTimer quiet;
        quiet.start();
        while (m_process.bytesAvailable() < count) {
            if (m_process.waitForReadyRead(100)) {
                quiet.restart();
                continue;
            }
            if (m_process.state() == QProcess::NotRunning && m_process.bytesAvailable() < count)
                throw Failed{endedEarly()};
            if (quiet.elapsed() > m_timeoutMs)
                throw Failed{QCoreApplication::translate("LegacyImport", "读取旧版相册库超时,文件可能已损坏")};
        }
        return m_process.read(count);
    }
    char type() { return read(1).at(0); }
    qint32 integer() { return LegacyStream::decodeInteger(read(4).constData()); }
    QString text()
    {
        const qint32 length = integer();
        if (length < 0 || quint32(length) > LegacyStream::MaxText)
            throw Failed{incomplete()};
        // All the names of a run together stay within their budget.
        m_textBytes += length;
        if (m_textBytes > LegacyStream::MaxNameBytes)
            throw Failed{tooMuch()};
        return QString::fromUtf8(read(length));
    }

private:
    QProcess &m_process;
    int m_timeoutMs;
    qint64 m_textBytes = 0;
};

// The helper is stopped whatever way the import ends.
struct Child
{
    QProcess process;
    ~Child()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

// A name as the store takes it: trimmed, with any character that could
// make it show as another name replaced.
QString safeName(const QString &name, const QString &fallback)
{
    QString safe;
    for (const QChar c : trimText(name))
        safe += isSafeName(QString(c)) ? c : QChar(u'_');
    safe = trimText(safe);
    return safe.isEmpty() ? fallback : safe;
}

struct NewAlbum
{
    int id = -1;
    QString name;
    AlbumCipher::Key key;
    TakenNames pictureNames;
};

struct Info
{
    qint32 oldId;
    qint32 oldAlbum;
    QString name;
    QString extension;
    int newId = -1;
    bool done = false;
};

// Why a picture with no album, or with no data, was left out.
QString notStoredNote(const Info &info, const std::map<qint32, NewAlbum> &albums)
{
    const auto album = albums.find(info.oldAlbum);
    if (album == albums.end())
        return QCoreApplication::translate("LegacyImport", "图片“%1”不属于任何相册,未导入。").arg(trimText(info.name));
    return QCoreApplication::translate("LegacyImport", "图片“%1”(相册“%2”) 没有数据,未导入。")
        .arg(trimText(info.name), album->second.name);
}


} // namespace

QString LegacyImport::readerPath()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../lib/quilbo2009/quilbo-legacy-reader"));
}

QString LegacyImport::Summary::text(const QString &file) const
{
    if (!imported)
        return QCoreApplication::translate("LegacyImport", "没有导入任何相册,相册库保持原样。\n原因: %1").arg(failure);
    QString text = QCoreApplication::translate("LegacyImport", "已从 %1 导入 %2 个相册、%3 张图片。")
                       .arg(QFileInfo(file).fileName())
                       .arg(albums)
                       .arg(pictures);
    for (const QString &note : notes)
        text += QLatin1Char('\n') + note;
    return text;
}

LegacyImport::Summary LegacyImport::run(AlbumStore &store, const QString &file, const Progress &progress,
                                        const Options &options)
{
    Summary summary;
    const int timeoutMs = options.timeoutMs > 0 ? options.timeoutMs : DefaultTimeoutMs;
    try {
        // Nothing is added to a damaged store.
        store.checkBeforeWriting();
        if (!QFileInfo(file).isFile())
            throw Failed{QCoreApplication::translate("LegacyImport", "找不到文件 %1").arg(file)};
        const QString reader = options.reader.isEmpty() ? readerPath() : options.reader;
        if (!QFileInfo(reader).isExecutable())
            throw Failed{QCoreApplication::translate("LegacyImport", "找不到读取旧版相册库的程序 %1").arg(reader)};
        Child child;
        child.process.setProcessChannelMode(QProcess::SeparateChannels);
        child.process.setStandardErrorFile(QProcess::nullDevice());
        // Nothing of the program's environment reaches it.
        child.process.setProcessEnvironment(QProcessEnvironment());
        child.process.start(reader, {QFileInfo(file).absoluteFilePath()}, QIODevice::ReadOnly);
        if (!child.process.waitForStarted(timeoutMs))
            throw Failed{QCoreApplication::translate("LegacyImport", "无法启动读取旧版相册库的程序 %1").arg(reader)};
        Channel in(child.process, timeoutMs);
        if (in.read(qint64(qstrlen(LegacyStream::Magic))) != QByteArray(LegacyStream::Magic))
            throw Failed{QCoreApplication::translate("LegacyImport", "读取旧版相册库的程序没有正确回应")};

        const qint64 fileSize = QFileInfo(file).size();
        SqlTransaction transaction(store.connection());
        // The store's albums are read once; the new ones join them.
        TakenNames albumNames;
        {
            QStringList existing;
            store.listAlbums(&existing);
            for (const QString &name : std::as_const(existing))
                albumNames.take(name);
        }
        std::map<qint32, NewAlbum> albums;
        QList<Info> infos;
        QHash<qint32, int> infoOf; // old picture id -> index in infos
        bool infosSettled = false;
        int done = 0;
        int total = 0;
        const auto step = [&] {
            ++done;
            if (progress && !progress(done, std::max(total, done)))
                throw Failed{QCoreApplication::translate("LegacyImport", "导入已取消")};
        };
        // Once the first bytes come, every name is in: the pictures get their
        // ids in the old store's order, whatever order their bytes come in.
        const auto settleInfos = [&] {
            if (infosSettled)
                return;
            infosSettled = true;
            std::sort(infos.begin(), infos.end(), [](const Info &a, const Info &b) { return a.oldId < b.oldId; });
            const int first = store.nextId(QStringLiteral("PicInfoTable"), QStringLiteral("PicInfoID"));
            for (int i = 0; i < infos.size(); ++i) {
                infos[i].newId = first + i;
                infoOf.insert(infos.at(i).oldId, i);
            }
            total = int(albums.size()) + int(infos.size());
        };

        for (;;) {
            const char type = in.type();
            if (type == LegacyStream::Failure)
                throw Failed{readerMessage(in.text())};
            if (type == LegacyStream::Album) {
                if (infosSettled)
                    throw Failed{incomplete()};
                const qint32 oldId = in.integer();
                const QString original = in.text();
                const QString password = in.text();
                NewAlbum album;
                if (albums.count(oldId))
                    throw Failed{incomplete()};
                if (albums.size() >= size_t(LegacyStream::MaxAlbums))
                    throw Failed{tooMuch()};
                album.name =
                    albumNames.unique(safeName(original, QCoreApplication::translate("LegacyImport", "未命名相册")));
                album.id = store.insertAlbum(album.name, password, &album.key);
                if (album.name != trimText(original))
                    summary.notes.append(
                        QCoreApplication::translate("LegacyImport", "相册“%1”已经存在或名称不能使用,导入为“%2”。")
                            .arg(trimText(original), album.name));
                albums.emplace(oldId, std::move(album));
                ++summary.albums;
                step();
            } else if (type == LegacyStream::Picture) {
                if (infosSettled)
                    throw Failed{incomplete()};
                Info info;
                info.oldId = in.integer();
                info.oldAlbum = in.integer();
                info.name = in.text();
                info.extension = trimText(in.text());
                if (infos.size() >= LegacyStream::MaxPictures)
                    throw Failed{tooMuch()};
                infos.append(info);
            } else if (type == LegacyStream::DataBegin) {
                settleInfos();
                const qint32 oldId = in.integer();
                const bool hasData = in.integer() != 0;
                // No more bytes than the value declares, and it declares no
                // more than the old file holds.
                const qint32 declared = in.integer();
                if (declared < 0 || declared > fileSize || declared > LegacyStream::MaxPicture)
                    throw Failed{incomplete()};
                QByteArray bytes;
                bytes.reserve(declared);
                for (char next = in.type(); next != LegacyStream::DataEnd; next = in.type()) {
                    if (next == LegacyStream::Failure)
                        throw Failed{readerMessage(in.text())};
                    if (next != LegacyStream::Chunk)
                        throw Failed{incomplete()};
                    const qint32 length = in.integer();
                    if (length < 0 || quint32(length) > LegacyStream::MaxChunk || bytes.size() + length > declared)
                        throw Failed{incomplete()};
                    bytes.append(in.read(length));
                }
                if (bytes.size() != declared)
                    throw Failed{incomplete()};
                const auto found = infoOf.constFind(oldId);
                if (found == infoOf.cend()) {
                    summary.notes.append(QCoreApplication::translate(
                                             "LegacyImport", "有一份图片数据 (编号 %1) 没有对应的图片名称,未导入。")
                                             .arg(oldId));
                    continue;
                }
                Info &info = infos[*found];
                if (info.done) {
                    summary.notes.append(
                        QCoreApplication::translate("LegacyImport", "图片“%1”有第二份数据,未导入第二份。")
                            .arg(info.name));
                    continue;
                }
                info.done = true;
                const auto album = albums.find(info.oldAlbum);
                if (album == albums.end() || !hasData) {
                    summary.notes.append(notStoredNote(info, albums));
                    step();
                    continue;
                }
                const QString &albumName = album->second.name;
                if (bytes.isEmpty()) {
                    summary.notes.append(
                        QCoreApplication::translate("LegacyImport", "图片“%1”(相册“%2”) 是 0 字节,未导入。")
                            .arg(trimText(info.name), albumName));
                } else {
                    NewAlbum &target = album->second;
                    const QString name = target.pictureNames.unique(
                        safeName(info.name, QCoreApplication::translate("LegacyImport", "未命名图片")));
                    if (name != trimText(info.name))
                        summary.notes.append(QCoreApplication::translate(
                                                 "LegacyImport", "图片“%1”(相册“%2”) 重名或名称不能使用,导入为“%3”。")
                                                 .arg(trimText(info.name), albumName, name));
                    store.insertPicture(info.newId, target.id, name, info.extension, bytes,
                                        target.key.isNull() ? nullptr : &target.key);
                    ++summary.pictures;
                }
                step();
            } else if (type == LegacyStream::End) {
                settleInfos();
                break;
            } else {
                throw Failed{incomplete()};
            }
        }
        // Names whose bytes never came: the old store had no data for them.
        for (const Info &info : std::as_const(infos)) {
            if (info.done)
                continue;
            summary.notes.append(notStoredNote(info, albums));
            step();
        }
        child.process.waitForFinished(timeoutMs);
        transaction.commit();
        summary.imported = true;
    } catch (const Failed &f) {
        summary.failure = f.message;
    } catch (const SqlError &e) {
        summary.failure = storeErrorMessage(e);
    } catch (const std::exception &e) {
        summary.failure = QString::fromUtf8(e.what());
    }
    if (!summary.imported) {
        summary.albums = 0;
        summary.pictures = 0;
        summary.notes.clear();
    }
    return summary;
}
