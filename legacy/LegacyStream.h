#pragma once
// What the reader of an earlier version's album store (a helper process)
// sends the program over a pipe: its albums, its pictures' names, then each
// picture's bytes in chunks, one picture at a time. Every length is checked
// against a bound, so that a reader gone wrong cannot make the program
// allocate without end.
//
//   magic
//   'A' id name password          an album
//   'I' id albumId name extension a picture's name
//   'D' id hasData length         a picture's bytes begin (as many as
//                                 the old store declares for it)
//   'C' length bytes              a chunk of them
//   'Z'                           they end
//   'E'                           the end of the store
//   'X' message                   the reader failed
// Integers are 32-bit little-endian; text is a length and UTF-8.

#include <QByteArray>

#include <cstdio>

namespace LegacyStream {

constexpr char Magic[] = "QUILBO-LEGACY 2\n";
constexpr char Album = 'A';
constexpr char Picture = 'I';
constexpr char DataBegin = 'D';
constexpr char Chunk = 'C';
constexpr char DataEnd = 'Z';
constexpr char End = 'E';
constexpr char Failure = 'X';

constexpr quint32 MaxText = 64 * 1024;
constexpr quint32 MaxChunk = 1024 * 1024;
// No picture of the earlier version was this large; a value claiming more
// is damage (as is one claiming more than the whole old file).
constexpr qint64 MaxPicture = 512LL * 1024 * 1024;
// What one import takes at most, whatever the old file claims: more albums
// or pictures than its format could hold, or more text in all their names.
constexpr int MaxAlbums = 100'000;
constexpr int MaxPictures = 1'000'000;
constexpr qint64 MaxNameBytes = 64LL * 1024 * 1024;

// The writer's side (the reader process), to a stdio stream.
class Writer
{
public:
    explicit Writer(std::FILE *out) : m_out(out) {}
    void magic();
    void record(char type);
    void integer(qint32 value);
    void text(const QByteArray &utf8);
    void chunk(const char *data, quint32 length);
    void flush();
    // False once a write failed (the program went away).
    bool good() const { return m_good; }

private:
    void put(const void *data, size_t length);
    std::FILE *m_out;
    bool m_good = true;
};

qint32 decodeInteger(const char *four);

} // namespace LegacyStream
