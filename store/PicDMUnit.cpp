#include "PicDMUnit.h"

#include "ConnectionString.h"
#include "StoreSchema.h"
#include "TextRules.h"

#include <QFileInfo>

#include <stdexcept>

TPicDM *PicDM = nullptr;

TPicDM::TPicDM() : m_runner(std::make_unique<TProcessRunner>()) { PicDM = this; }

TPicDM::~TPicDM()
{
    CloseStore();
    if (PicDM == this)
        PicDM = nullptr;
}

// ---------------------------------------------------------------- connection

bool TPicDM::OpenStore(const QString &connectionString)
{
    CloseStore();
    m_connectionString = TrimText(connectionString);
    bool hasPath = false;
    const QString path = ConnectionString::Value(m_connectionString, QStringLiteral("Data Source"), &hasPath);
    const QByteArray password =
        ConnectionString::Value(m_connectionString, QStringLiteral("Database Password")).toUtf8();
    // A folder or a special file is never a store; SQLite would report it
    // only at the first read.
    if (!hasPath || path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    try {
        PicADOCon.open(path);
        // With plain SQLite linked in by mistake the key would be ignored and
        // the file written unencrypted: insist on the cipher being there.
        {
            SqlStatement version(PicADOCon, QStringLiteral("PRAGMA cipher_version"));
            if (!version.next() || version.text(0).isEmpty())
                throw SqlError(1, "SQLCipher is not available");
        }
        PicADOCon.key(password);
        PicADOCon.execFixed("PRAGMA cipher_page_size = 4096");
        // The first read: a wrong key or a foreign file fails here (code 26),
        // before anything could be written. Then the three tables with their
        // columns must all be there.
        PicADOCon.execFixed("SELECT count(*) FROM sqlite_master");
        SqlStatement(PicADOCon, QStringLiteral("SELECT PicLibID, PicLibName, PicPass FROM PicLibTable LIMIT 0"));
        SqlStatement(PicADOCon,
                     QStringLiteral("SELECT PicInfoID, PicLibID, PicName, PicExt FROM PicInfoTable LIMIT 0"));
        SqlStatement(PicADOCon, QStringLiteral("SELECT PicInfoID, Pic FROM PicTable LIMIT 0"));
        PicADOCon.execFixed("PRAGMA foreign_keys = ON");
        // The file is encrypted: overwriting freed pages buys nothing and
        // makes deleting pictures four times slower.
        PicADOCon.execFixed("PRAGMA secure_delete = OFF");
        return true;
    } catch (const SqlError &) {
        PicADOCon.close();
        return false;
    }
}

void TPicDM::CloseStore() { PicADOCon.close(); }

SqlDb &TPicDM::Db()
{
    if (!PicADOCon.isOpen())
        throw SqlError(21, "the album store is not open");
    return PicADOCon;
}

int TPicDM::CountWhere(const QString &table, const QString &column, const QString &value)
{
    const QString t = StoreSchema::CanonicalTable(table);
    const QString c = StoreSchema::CanonicalColumn(table, column);
    if (t.isEmpty() || c.isEmpty())
        return 0;
    try {
        // The names come from the schema's own list; the value is bound.
        SqlStatement q(Db(), QStringLiteral("Select count(*) From %1 Where %2 = :value").arg(t, c));
        q.bind(":value", value);
        return q.next() ? int(q.int64(0)) : 0;
    } catch (const SqlError &) {
        return 0;
    }
}

int TPicDM::NextId(const QString &table, const QString &column)
{
    const QString t = StoreSchema::CanonicalTable(table);
    const QString c = StoreSchema::CanonicalColumn(table, column);
    if (t.isEmpty() || c.isEmpty())
        throw SqlError(1, "no such table or column: " + table.toStdString() + "." + column.toStdString());
    SqlStatement q(Db(), QStringLiteral("Select MAX(%1) As MAXID From %2").arg(c, t));
    if (!q.next())
        return 1;
    const int maxId = q.column("MAXID");
    return q.isNull(maxId) ? 1 : int(q.int64(maxId)) + 1;
}

// ---------------------------------------------------------------- wallpaper

void TPicDM::SetCommandRunner(std::unique_ptr<ICommandRunner> runner) { m_runner = std::move(runner); }

QString TPicDM::SetWallpaper(const QImage *picture, int style, int tile)
{
    if (!picture || picture->isNull())
        return QString();
    const Wallpaper::Desktop desktop =
        Wallpaper::Detect(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), !qEnvironmentVariableIsEmpty("DISPLAY"));
    if (desktop == Wallpaper::Desktop::Unknown)
        return Wallpaper::Apply(*m_runner, desktop, QString(), Wallpaper::ModeFor(style, tile));
    const QString file = Wallpaper::SaveWallpaperImage(*picture, desktop == Wallpaper::Desktop::Kde);
    if (file.isEmpty())
        return QStringLiteral("无法设置桌面壁纸: 不能建立文件夹 %1!").arg(Wallpaper::Folder());
    return Wallpaper::Apply(*m_runner, desktop, file, Wallpaper::ModeFor(style, tile));
}

// ---------------------------------------------------------------- prompts

void TPicDM::SetPrompts(std::unique_ptr<IPrompts> prompts) { m_prompts = std::move(prompts); }

IPrompts &TPicDM::prompts()
{
    if (!m_prompts)
        throw std::logic_error("no prompts installed");
    return *m_prompts;
}

int TPicDM::ShowInfo(const QString &title, const QString &message)
{
    return prompts().Message(PromptKind::Info, title, message);
}

int TPicDM::ShowError(const QString &title, const QString &message)
{
    return prompts().Message(PromptKind::Error, title, message);
}

int TPicDM::ShowWarning(const QString &title, const QString &message)
{
    return prompts().Message(PromptKind::Warning, title, message);
}

int TPicDM::AskYesNo(const QString &title, const QString &message) { return prompts().AskYesNo(title, message); }

QString TPicDM::AskPassword(const QString &title, const QString &prompt)
{
    return prompts().AskPassword(title, prompt);
}
