#pragma once

#include "host/CommandHost.h"

#include <QString>

namespace tabulex {

// "1,234,567": a count with thousands separators.
QString groupedCount(qint64 n);
// "1 row", "1,234 rows".
QString groupedRows(qint64 n);

// The time the rest of the table's rows will take at the rate so far ("6:40 left",
// "1:02:03 left"); empty while it is not known.
QString timeLeftText(const RowProgress& p, double seconds);

// The rows of the table being copied, as people read it: "Table 2 of 3: ORDERS, 12,345 of
// 500,000 rows, 1,234 rows/s, 6:40 left" (without the place for a run of one table).
QString rowProgressText(const RowProgress& p, int number, int count, double seconds);

} // namespace tabulex
