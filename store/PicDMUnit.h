#pragma once
// The data module: the one connection to the album store, the prompts every
// window uses, and the shared picture WorkBitmap.

#include "Prompts.h"
#include "SqlDb.h"

#include <QImage>
#include <QString>

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
};

// The one data module of the program.
extern TPicDM *PicDM;
