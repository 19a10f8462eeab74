#pragma once

#include <QString>

namespace tabulex {

class CommandHost;
class ErrorTrap;
class Recordset;
class RowTarget;

struct CopyResult {
    qint64 copied = 0;
    qint64 failed = 0;
};

// Copies every row of the source into the target, one row at a time, while the progress
// bar shows the share of rows done. A row the target refuses is reported through the trap
// under the given line label and skipped; the copy goes on with the next row. Ends with
// the default pointer, the progress bar at 0 with its idle text, and the source closed.
CopyResult copyRows(CommandHost& host, ErrorTrap& trap, int line, Recordset& source,
                    RowTarget& target);

inline const QString kProgressBarIdleText = QStringLiteral("Progress Bar");

} // namespace tabulex
