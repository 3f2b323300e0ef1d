#pragma once
// Importing whole folders and many files at once (a camera's card, a
// terminal's command): every picture under the paths, subfolders included,
// stored in the order the photos were taken; a picture already in the
// album (the same bytes) is skipped, a different one under a name taken
// gets " (2)", " (3)" ... Each picture is stored in its own transaction, so
// an import cut off keeps what it stored, and the same import run again
// stores only what is missing.

#include "AlbumStore.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <future>

namespace PictureImport {

// A file left out, and why (in Chinese).
struct LeftOut
{
    QString file;
    QString reason;
};

struct Summary
{
    int imported = 0;
    int duplicates = 0;
    // Stored under another name than the file's, the name taken: "a -> a (2)".
    QStringList renamed;
    QList<LeftOut> leftOut;
    bool cancelled = false;
    // Files not tried after a store error stopped the import.
    int notTried = 0;

    // Everything that could be imported was.
    bool complete() const { return !cancelled && leftOut.isEmpty() && notTried == 0; }
    // What the user is told, in Chinese, one fact a line.
    QString text() const;
};

// The files under the paths as they are to be stored: files as named,
// folders walked with their subfolders (links to folders are not followed,
// hidden files are left out), every file taken, pictures or not (what is
// not a picture is told when it is imported). Ordered by the date each was
// taken where its EXIF data has one, the rest after them by file name. A
// path that does not exist or cannot be read goes to *leftOut.
QStringList collectFiles(const QStringList &paths, QList<LeftOut> *leftOut);

// Told before each file: how many are done of all, and the file. False
// stops the import there. Told with no file while the album's pictures
// stored before hashes were kept are hashed (read once, the first time).
using Progress = std::function<bool(int done, int total, const QString &file)>;

// Whether the next files are read and hashed on other threads while one is
// stored, and whether their thumbnails are made there too (from the bytes
// in hand, kept with each picture in its transaction), as a window wants
// them: without, a window would read every picture back to make them.
enum class ReadAhead { No, OnAnotherThread, WithThumbnails };

// A file read in full and hashed as its album compares pictures (error
// says why it could not be read), with its thumbnail when one was made.
struct ReadFile
{
    QByteArray bytes;
    QByteArray hash;
    QString error;
    QByteArray thumbnail;
};

using Hasher = std::function<QByteArray(const QByteArray &)>;

// The files read in their order, the next ones on other threads (as
// readAhead says) while the caller stores one. An empty hasher hashes
// nothing. With thumbnails, known holds the album's hashes: a picture not
// among them gets its thumbnail made from the bytes in hand.
class FilesAhead
{
public:
    FilesAhead(const QStringList &files, const Hasher &hash, ReadAhead readAhead,
               QSet<QByteArray> known = QSet<QByteArray>());
    // Waits for what is read ahead.
    ~FilesAhead();
    FilesAhead(const FilesAhead &) = delete;
    FilesAhead &operator=(const FilesAhead &) = delete;

    // The next file's, once for each file in order.
    ReadFile next();

private:
    void readMore();

    struct Ahead
    {
        std::future<ReadFile> read;
        qint64 size = 0;
    };
    const QStringList m_files;
    const Hasher m_hash;
    const ReadAhead m_readAhead;
    const QSet<QByteArray> m_known;
    std::deque<Ahead> m_ahead;
    qint64 m_bytesAhead = 0;
    qsizetype m_nextToRead = 0;
};

// Stores the files in the album. The album's pictures stored by an older
// version are hashed first (read once). Throws AlbumCipher::CipherError when
// the album is protected and its key is not open; a store error that stops
// everything is passed on, with every picture before it stored.
Summary run(AlbumStore &store, int albumId, const QStringList &files, const Progress &progress = Progress(),
            ReadAhead readAhead = ReadAhead::No);

} // namespace PictureImport
