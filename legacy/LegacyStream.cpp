#include "LegacyStream.h"

#include <algorithm>
#include <cstring>

namespace LegacyStream {

void Writer::put(const void *data, size_t length)
{
    if (m_good && std::fwrite(data, 1, length, m_out) != length)
        m_good = false;
}

void Writer::magic() { put(Magic, std::strlen(Magic)); }

void Writer::record(char type) { put(&type, 1); }

void Writer::integer(qint32 value)
{
    const auto v = quint32(value);
    const unsigned char bytes[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                    static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    put(bytes, sizeof bytes);
}

void Writer::text(const QByteArray &utf8)
{
    const QByteArray bounded = utf8.left(MaxText);
    integer(qint32(bounded.size()));
    put(bounded.constData(), size_t(bounded.size()));
}

void Writer::chunk(const char *data, quint32 length)
{
    record(Chunk);
    integer(qint32(length));
    put(data, length);
}

void Writer::flush()
{
    if (m_good && std::fflush(m_out) != 0)
        m_good = false;
}

qint32 decodeInteger(const char *four)
{
    const auto *b = reinterpret_cast<const unsigned char *>(four);
    return qint32(quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24);
}

} // namespace LegacyStream
