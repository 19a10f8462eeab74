#pragma once

#include <QString>

#include <cstdint>

// The large table towards Paradox: a varchar(40), a decimal(9,0), a float and a datetime
// column, made and filled on the server by the stand-in. The values of the source (read
// through ODBC) and of the Paradox table (read by pxlib) fold into the same order-sensitive
// checksum, so that equal sums mean the same values in the same rows.
namespace tabulex::bench {

struct TableSum {
    std::uint64_t checksum = 0;
    qint64 rows = 0;
    friend bool operator==(const TableSum&, const TableSum&) = default;
};

// Creates the table on the server behind the connection string and adds `rows` rows.
void makeBigTable(const QString& sql, const QString& table, qint64 rows);

// The table's values as they are on the server.
TableSum serverSum(const QString& sql, const QString& table);

// The values pxlib reads from the Paradox table `file`.
TableSum pxlibSum(const QString& file);

} // namespace tabulex::bench
