#pragma once
// The album store's connection string: "key=value" pairs separated by ";".
// A value holding ";", a double quote or surrounding blanks is written in
// double quotes with inner quotes doubled, so any path survives.

#include <QString>

namespace ConnectionString {

// The connection string for the store file at path, with the database
// password.
QString forStore(const QString &path);

// The value of key (matched without regard to letter case) in a connection
// string; empty when the key is absent. *found tells whether it was there.
QString value(const QString &connection, const QString &key, bool *found = nullptr);

} // namespace ConnectionString
