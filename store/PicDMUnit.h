#pragma once
// The data module: the one connection to the album store, the prompts every
// window uses, and the shared picture WorkBitmap.

#include "Prompts.h"
#include "SqlDb.h"
#include "Wallpaper.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>

class TPicDM
{
public:
    // Sets the program-wide PicDM to this instance; the connection is closed.
    TPicDM();
    ~TPicDM();
    TPicDM(const TPicDM &) = delete;
    TPicDM &operator=(const TPicDM &) = delete;

    // ---- connection
    // Opens the store named by the connection string (trimmed), closing any
    // open connection first. Never creates a file. False when the file is
    // missing, the password is wrong, the file is not a store or lacks the
    // tables; the connection is then closed. Reports nothing.
    bool OpenStore(const QString &connectionString);
    void CloseStore();
    bool Connected() const { return PicADOCon.isOpen(); }
    const QString &ConnectionString() const { return m_connectionString; }

    // The statement runner: every statement runs on this one connection,
    // with bound parameters. Throws SqlError when closed.
    SqlDb &Db();

    // Number of rows of table whose column equals value (compared as the
    // column's collation does). Only the schema's own table and column names
    // are accepted; any other name, a closed connection or a store error
    // gives 0.
    int CountWhere(const QString &table, const QString &column, const QString &value);

    // Largest id of column plus 1; 1 on an empty table. Throws SqlError on a
    // store error or a name that is not the schema's.
    int NextId(const QString &table, const QString &column);

    // ---- albums (named by their names; ids looked up when needed)
    // Fills list with every album name, in the store's order. Passes store
    // errors on, leaving the list as it was. Does nothing without a list.
    void ListAlbums(QStringList *list);
    // The album's id, or -1 when no album has that name or on any failure.
    int FindAlbumId(const QString &name);
    // Adds an album with the name and password trimmed; false on failure.
    bool AddAlbum(const QString &name, const QString &password);
    // Deletes every album of that name with its pictures; false on failure.
    bool DeleteAlbum(const QString &name);
    // True when the album exists and its trimmed password is not empty.
    // Passes store errors on.
    bool AlbumHasPassword(const QString &name);
    // True when the entered password equals the album's, letter case aside;
    // false otherwise and on any failure.
    bool CheckAlbumPassword(const QString &name, const QString &password);
    // Writes the password trimmed; false when no album has that name.
    // Passes store errors on.
    bool SetAlbumPassword(const QString &name, const QString &password);

    // ---- pictures
    // The file name up to its first dot, trimmed.
    static QString ExtractPicName(const QString &path);
    // The file name's last extension without its dot, trimmed.
    static QString ExtractPicExt(const QString &path);
    // Stores the file's bytes, unchanged, as a new picture of the album. All
    // or nothing: false (and nothing added) on a duplicate name in the
    // album, an unreadable or empty file or a store error.
    bool AddPicture(int albumId, const QString &path);
    // Deletes the album's pictures of that name; false on failure.
    bool DeletePicture(int albumId, const QString &name);
    // Renames the album's pictures of the old name (written as given); false
    // on failure, such as a name another picture of the album has.
    bool RenamePicture(int albumId, const QString &oldName, const QString &newName);
    // The picture's id, or -1 when not found or on any failure.
    int FindPictureId(int albumId, const QString &name);
    // The picture's name; empty when not found. Passes store errors on.
    QString GetPictureName(int pictureId);
    // The album's picture ids (as decimal text) and names; empty on failure.
    void ListPictureIds(int albumId, QStringList *list);
    void ListPictureNames(int albumId, QStringList *list);
    // The picture's stored bytes; empty when not found. Passes errors on.
    QByteArray PictureData(int pictureId);
    // Decodes the stored picture into *picture (an RGB32 bitmap, upright).
    // Without a picture, does nothing; with no such picture, leaves it
    // unchanged. Passes store and decoder errors on ("JPEG error #%d"),
    // leaving *picture unchanged.
    void LoadPicture(QImage *picture, int pictureId);
    // Writes the picture as JPEG data to path + "." + ext, atomically. False
    // without a picture or on any failure (no partial file is left); a null
    // picture writes nothing and gives true.
    bool SavePictureFile(const QImage *picture, const QString &path, const QString &ext);

    // ---- image operations
    // WorkBitmap stretched to the control's size times the factors (each
    // product truncated). False, with *result untouched, when the new size
    // would have an empty side or be too large to hold.
    bool ZoomImage(const QSize &controlSize, long double widthFactor, long double heightFactor, QImage *result) const;

    // ---- store maintenance
    // Compacts the store file: a keyed copy is written beside it, flushed,
    // checked (it must open with the password, pass the integrity check and
    // hold every row) and renamed over the store, after which the
    // connection is opened again. False, with the store untouched and no
    // working file left, when no store file is there or any step fails.
    // Throws SqlError when the store cannot be opened again afterwards.
    bool CompactStore(const QString &storePath);
    // Copies the store file to the target (trimmed; the store's extension
    // added when it holds no dot at all). Never replaces an existing file;
    // the copy is flushed to disk, and a partial copy is removed on failure.
    bool BackupStore(const QString &storePath, const QString &target);
    // The file a backup to target is written to.
    static QString BackupTarget(const QString &storePath, const QString &target);

    // ---- desktop wallpaper
    // Makes the picture the wallpaper of the running desktop: style and tile
    // (0, 0) centred, (0, 1) tiled, (2, 1) stretched. Does nothing for a
    // missing or empty picture. Returns empty text when done, else a message
    // saying why the desktop was not changed. Throws std::runtime_error when
    // the wallpaper file cannot be written.
    QString SetWallpaper(const QImage *picture, int style, int tile);
    // The runner of the desktop's commands (tests install their own).
    void SetCommandRunner(std::unique_ptr<ICommandRunner> runner);

    // ---- prompts (title first, then text)
    int ShowInfo(const QString &title, const QString &message);
    int ShowError(const QString &title, const QString &message);
    int ShowWarning(const QString &title, const QString &message);
    int AskYesNo(const QString &title, const QString &message);
    QString AskPassword(const QString &title, const QString &prompt);

    // Replaces the prompts (the program installs the Qt boxes, tests a
    // scripted answerer). Without any, every prompt is a programming error.
    void SetPrompts(std::unique_ptr<IPrompts> prompts);
    IPrompts *Prompts() const { return m_prompts.get(); }

    // The picture last shown from the tree or the search, as loaded.
    QImage WorkBitmap;

private:
    IPrompts &prompts();

    SqlDb PicADOCon;
    QString m_connectionString;
    std::unique_ptr<IPrompts> m_prompts;
    std::unique_ptr<ICommandRunner> m_runner;
};

// The one data module of the program.
extern TPicDM *PicDM;
