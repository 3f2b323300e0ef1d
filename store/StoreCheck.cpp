#include "StoreCheck.h"

#include "Sql.h"
#include "StoreSchema.h"

#include <QThread>

namespace {

// Steps through a whole query, reading every column of every row (a blob
// in full, with every page it lies on).
void readAll(SqlConnection &db, const QString &sql)
{
    SqlStatement q(db, sql);
    const int columns = q.columnCount();
    while (q.next())
        for (int c = 0; c < columns; ++c)
            q.blobView(c);
}

} // namespace

StoreCheck::StoreCheck(const QString &storePath, QObject *parent) : QObject(parent), m_path(storePath)
{
}

StoreCheck::~StoreCheck()
{
    m_stop = true;
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

void StoreCheck::start()
{
    if (m_thread)
        return;
    m_thread = QThread::create([this] {
        const QString damage = checkPages();
        if (m_stop)
            return;
        QMetaObject::invokeMethod(
            this,
            [this, damage] {
                if (!damage.isEmpty())
                    emit damageFound(damage);
                emit finished();
            },
            Qt::QueuedConnection);
    });
    m_thread->start(QThread::LowPriority);
}

bool StoreCheck::isRunning() const { return m_thread && m_thread->isRunning(); }

QString StoreCheck::checkPages()
{
    try {
        SqlConnection db;
        db.open(m_path);
        StoreSchema::keyConnection(db);
        // Nothing is written through this connection.
        db.execFixed("PRAGMA query_only = ON");
        // The tables and their indexes, each read whole.
        for (const char *sql : {"SELECT * FROM sqlite_master",
                                "SELECT PicLibID, PicLibName, PicPass FROM PicLibTable",
                                "SELECT PicLibName FROM PicLibTable ORDER BY PicLibName",
                                "SELECT PicInfoID, PicLibID, PicName, PicExt FROM PicInfoTable",
                                "SELECT PicLibID, PicName FROM PicInfoTable ORDER BY PicLibID, PicName"}) {
            if (m_stop)
                return QString();
            readAll(db, QString::fromLatin1(sql));
        }
        // The pictures, a few at a time, each chunk in a read transaction of
        // its own.
        qint64 last = -1;
        while (!m_stop) {
            SqlStatement q(db, QStringLiteral("SELECT PicInfoID, Pic FROM PicTable WHERE PicInfoID > ? "
                                              "ORDER BY PicInfoID LIMIT 16"));
            q.bind(1, last);
            int rows = 0;
            while (q.next()) {
                last = q.int64(0);
                q.blobView(1);
                ++rows;
            }
            if (rows == 0)
                break;
        }
    } catch (const SqlError &e) {
        // A store that cannot be read for any other reason (busy for long,
        // gone) is not called damaged: the program's own reads will tell.
        if (SqlError::meansDamage(e.code()))
            return QString::fromUtf8(e.what());
    }
    return QString();
}
