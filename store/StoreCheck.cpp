#include "StoreCheck.h"

#include "Sql.h"
#include "StorePages.h"
#include "StoreSchema.h"

#include <QThread>

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
        const std::optional<QString> damage = checkPages();
        if (m_stop)
            return;
        QMetaObject::invokeMethod(
            this,
            [this, damage] {
                if (damage && !damage->isEmpty())
                    emit damageFound(*damage);
                else if (damage)
                    emit foundWhole();
                emit finished();
            },
            Qt::QueuedConnection);
    });
    // Only on a processor nothing else wants (the system's idle class): on
    // two cores the check would otherwise slow the first picture shown by
    // a third, and a large store takes seconds to check.
    m_thread->start(QThread::IdlePriority);
}

bool StoreCheck::isRunning() const { return m_thread && m_thread->isRunning(); }

std::optional<QString> StoreCheck::checkPages()
{
    try {
        SqlConnection db;
        db.open(m_path);
        StoreSchema::keyConnection(db);
        // Nothing is written through this connection; it only holds a read
        // lock while a few megabytes are read.
        db.execFixed("PRAGMA query_only = ON");
        return StorePages::findDamage(db, &m_stop);
    } catch (const SqlError &e) {
        // A store that cannot be read for any other reason (busy for long,
        // gone) is not called damaged: the program's own reads will tell.
        if (SqlError::meansDamage(e.code()))
            return QString::fromUtf8(e.what());
    }
    return std::nullopt;
}
