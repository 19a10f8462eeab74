#pragma once

#include "transfer/TypeMapping.h"

#include <QString>

#include <vector>

namespace tabulex {

class CommandHost;
class Fields;
class Connection;
class ErrorTrap;
class Recordset;

struct CopyResult {
    qint64 copied = 0;
    qint64 failed = 0;
};

// Copies every row of the source into the target table, one INSERT per row, while the
// progress bar shows the share of rows done. A row the target rejects is reported through
// the trap under the given line label and skipped; the copy goes on with the next row.
// Ends with the default pointer, the progress bar at 0 with its idle text, and the source
// closed. currentStatement holds each INSERT while it runs, for the error report.
CopyResult copyRows(CommandHost& host, ErrorTrap& trap, int line, Recordset& source,
                    Connection& target, const QString& table,
                    const std::vector<ColumnPlan>& columns, QString& currentStatement);

inline const QString kProgressBarIdleText = QStringLiteral("Progress Bar");

namespace staging {
struct Literal;
}

// The values of the row's INSERT statement as the staging store reads them from its text.
void stagingLiterals(const Fields& fields, const std::vector<ColumnPlan>& columns,
                     std::vector<staging::Literal>& out);

} // namespace tabulex
