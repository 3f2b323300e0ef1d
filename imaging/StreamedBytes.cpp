#include "StreamedBytes.h"

#include <chrono>

StreamedBytes::StreamedBytes(const QByteArray &bytes)
    : m_buffer(bytes), m_data(const_cast<char *>(m_buffer.constData())), m_size(bytes.size()),
      m_arrived(bytes.size())
{
}

char *StreamedBytes::begin(qsizetype size)
{
    m_buffer = QByteArray(size, Qt::Uninitialized);
    // Taken once, while nobody shares the buffer: writing through it never
    // detaches a copy.
    m_data = m_buffer.data();
    m_size = size;
    m_arrived = 0;
    return m_data;
}

void StreamedBytes::arrived(qsizetype count)
{
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_arrived = count;
    }
    m_grown.notify_all();
}

void StreamedBytes::fail()
{
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_failed = true;
    }
    m_grown.notify_all();
}

bool StreamedBytes::isComplete() const
{
    const std::lock_guard<std::mutex> lock(m_lock);
    return !m_failed && m_arrived == m_size;
}

QByteArray StreamedBytes::bytes() const { return isComplete() ? m_buffer : QByteArray(); }

qsizetype StreamedBytes::waitBeyond(qsizetype have, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_lock);
    m_grown.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                     [&] { return m_failed || m_arrived > have || m_arrived == m_size; });
    return m_failed ? -1 : m_arrived;
}
