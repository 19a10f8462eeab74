#pragma once

#include "data/Connection.h"
#include "data/Recordset.h"

#include <QString>

#include <vector>

namespace tabulex::test {

using Rows = std::vector<std::vector<Value>>;

// Every row the statement gives on the connection, as its fields' values; fields, when
// given, receive the recordset's columns.
Rows readRows(Connection& c, const QString& statement, std::vector<Field>* fields = nullptr);

} // namespace tabulex::test
