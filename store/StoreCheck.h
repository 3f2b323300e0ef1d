#pragma once
// Checks every page of the store file (StorePages), on a thread of its own
// and through a connection of its own, to find damage before it costs a
// picture. Short read transactions, a few megabytes at a time, so that the
// program's own writes wait only a moment.

#include <QObject>
#include <QString>

#include <atomic>
#include <optional>

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
    // Emitted on the owner's thread when every page checked.
    void foundWhole();
    // Emitted on the owner's thread when the check has ended, damaged or not.
    void finished();

private:
    // Runs on the check's thread: empty when every page checks, else what
    // is wrong; nothing when the file could not be read through.
    std::optional<QString> checkPages();

    QString m_path;
    QThread *m_thread = nullptr;
    std::atomic_bool m_stop{false};
};
