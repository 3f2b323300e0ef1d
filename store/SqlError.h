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

private:
    int m_code;
};
