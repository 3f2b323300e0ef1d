#pragma once
// What a user is told of a failed store operation: a Chinese sentence for
// the kind of failure, with the engine's own text as a detail.

#include <QString>

class SqlError;

QString storeErrorMessage(const SqlError &error);
QString storeErrorMessage(int code, const QString &detail);
