#pragma once
// The SQLite wrapper: connection, statements, transactions and their error.

#include "SqlConnection.h"
#include "SqlError.h"
#include "SqlStatement.h"
#include "SqlTransaction.h"
