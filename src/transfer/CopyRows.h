#pragma once

#include <QString>

namespace tabulex {

class CommandHost;
class ErrorTrap;
class Recordset;
class RowTarget;

struct CopyResult {
    qint64 copied = 0; // rows that arrived
    qint64 failed = 0; // rows that did not
    // False when a failure ended the copy before the source's end (reported once).
    bool complete = true;
    QString rejectedFile;  // where the rows that failed are kept
    QString rejectedError; // why they could not all be kept
    // The source changed while it was read, and the copy stopped unreported to read it again
    // (SourceChange::Retry).
    bool sourceChanged = false;
};

// What a copy does when its source changes while it is read (kSourceChangedError).
enum class SourceChange {
    Report,      // reported as any failure of the source
    Retry,       // stops without a report, for the caller to read the source again
    ReportAgain, // the read again changed too: reported as such
};

// Copies every row of the source into the target while the progress bar shows the share of
// rows read. A row the target refuses is reported with its own INSERT statement under the
// line label, with the offer to show no more of the table's row errors, and kept in a
// rejected-rows file; the copy goes on with the next row. A failure that ends the table (the
// source cannot be read on, the target is lost) is reported once, with the statement that
// failed in hand: the target's, or selectStatement for the source. `current` is the
// statement in hand that the trap shows. Ends with the default pointer, the progress bar at
// 0 with its idle text, and the source closed. Once a stop is asked for, it throws
// CommandStopped before the next row.
CopyResult copyRows(CommandHost& host, ErrorTrap& trap, int line, QString& current,
                    Recordset& source, const QString& selectStatement, RowTarget& target,
                    SourceChange onChange = SourceChange::Report);

inline const QString kProgressBarIdleText = QStringLiteral("Progress Bar");

} // namespace tabulex
