#pragma once
// Bytes that arrive in pieces while another thread already reads them: the
// writer sizes the buffer, fills it from the front and says how far it got;
// the reader waits for what it needs. A picture read from the store can so
// be decoding while the rest of it is still being read.

#include <QByteArray>

#include <condition_variable>
#include <mutex>

class StreamedBytes
{
public:
    StreamedBytes() = default;
    // Whole bytes, already in.
    explicit StreamedBytes(const QByteArray &bytes);
    StreamedBytes(const StreamedBytes &) = delete;
    StreamedBytes &operator=(const StreamedBytes &) = delete;

    // The writer's side, before any reader starts: sizes the buffer and
    // gives where to write.
    char *begin(qsizetype size);
    // The first `count` bytes are in.
    void arrived(qsizetype count);
    // No more bytes will come: a reader waiting for them fails.
    void fail();

    qsizetype size() const { return m_size; }
    // The bytes that are in so far; the writer's thread only.
    QByteArray arrivedBytes() const { return QByteArray::fromRawData(m_data, m_arrived); }
    // All the bytes, once they are all in (shares the buffer); empty before.
    QByteArray bytes() const;
    bool isComplete() const;

    // The reader's side: waits until more than `have` bytes are in, or
    // until the wait is pointless; returns how many are in, -1 when the
    // rest will never come. Waits at most `timeoutMs` (then returns `have`).
    qsizetype waitBeyond(qsizetype have, int timeoutMs) const;
    const char *data() const { return m_data; }

private:
    QByteArray m_buffer;
    char *m_data = nullptr;
    qsizetype m_size = 0;
    mutable std::mutex m_lock;
    mutable std::condition_variable m_grown;
    qsizetype m_arrived = 0;
    bool m_failed = false;
};
