#pragma once

#include "paradox/Value.h"

#include <QString>

#include <vector>

namespace tabulex::test {

// A Paradox table with one field of every type (Alpha three times: short, empty in the
// first row, and as long as Alpha goes), for the tests that follow each type through the
// data type window and the transfers.
using Row = std::vector<paradox::Value>;

// The first row: an everyday value in each field but the empty one.
Row everyTypeRow();

// A second row of values a first row's proposal must still hold: longer text, more
// decimals, milliseconds, the extremes of the integers, dates before 1753.
Row everyTypeEdgeRow();

// Writes the table folder/<name>.db with these rows (none for an empty table).
void writeEveryTypeTable(const QString& folder, const QString& name, const std::vector<Row>& rows);

} // namespace tabulex::test
