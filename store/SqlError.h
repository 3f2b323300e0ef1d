#pragma once
// A failed SQLite call, carrying SQLite's result code.

#include <stdexcept>
#include <string>

class SqlError : public std::runtime_error
{
public:
    SqlError(int code, const std::string &message)
        : std::runtime_error(message), m_code(code) {}
    int code() const { return m_code; }
    // SQLite's codes for a file whose pages do not decrypt or contradict
    // each other: SQLITE_CORRUPT and SQLITE_NOTADB.
    static bool meansDamage(int code) { return code == 11 || code == 26; }

private:
    int m_code;
};
