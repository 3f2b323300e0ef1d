#pragma once
// Reads every page that holds albums, pictures and their indexes, on a
// thread of its own and through a connection of its own, to find damage
// before it costs a picture. Short read transactions, one chunk of pictures
// at a time, so that the program's own writes wait only a moment.

#include <QObject>
#include <QString>

#include <atomic>

class QThread;

class StoreCheck : public QObject
{
    Q_OBJECT
public:
    explicit StoreCheck(const QString &storePath, QObject *parent = nullptr);
    // Stops the check and waits for its thread.
    ~StoreCheck() override;

    void start();
    bool isRunning() const;

signals:
    // Emitted on the owner's thread when a damaged page was read.
    void damageFound(const QString &detail);
    // Emitted on the owner's thread when the check has ended, damaged or not.
    void finished();

private:
    // Runs on the check's thread: empty when every page read well, else
    // the engine's text for the damage.
    QString checkPages();

    QString m_path;
    QThread *m_thread = nullptr;
    std::atomic_bool m_stop{false};
};
