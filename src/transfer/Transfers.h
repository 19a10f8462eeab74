#pragma once

#include "host/Prompter.h"
#include "transfer/CopyRows.h"
#include "transfer/Mapping.h"
#include "transfer/SqlRowTarget.h"

#include <QString>

#include <functional>
#include <vector>

namespace tabulex {

class CommandHost;
class TableList;

// Everything a send command reads from its front end, at the moment it needs it.
struct TransferContext {
    CommandHost* host = nullptr;
    TableList* sqlList = nullptr;     // the SQL Server tables
    TableList* paradoxList = nullptr; // the Paradox tables
    std::function<QString()> sqlConnectionString;
    std::function<QString()> paradoxConnectionString;
    std::function<QString()> paradoxFolder;
    // The "Send with data type customization" box of the running direction: the host's
    // prompter then shows the data type window for each table.
    bool customize = false;
    // The type mapping of the run: classic, or faithful (keys, autoincrement, field types).
    Mapping mapping = Mapping::Classic;
    // Refills the Paradox list from the folder (the end of a run towards Paradox).
    std::function<void()> refillParadoxList;
    // Rows in one INSERT statement towards SQL Server (1: one statement per row).
    int rowsPerStatement = kDefaultRowsPerStatement;
    // Failed rows after which a table fails as a whole and is not sent (0: no limit).
    int maxRowErrors = kDefaultMaxRowErrors;
    // The code page of the run's tables: Paradox tables are read in it, and tables towards
    // Paradox written in it (0: each table's own, or the one its rows choose).
    int codePage = 0;
    // The module and procedure the error reports name.
    QString module = QStringLiteral("Form2");
    // Each table read back from the target once it has its name, and compared with what was
    // sent.
    bool verify = true;
};

// A table that was not sent, and why.
struct TableFailure {
    QString table;
    QString cause;
};

// Rows of a table that did not arrive, kept in a file for the user to mend and send again.
struct RejectedRowsFile {
    QString table;
    qint64 rows = 0;
    QString path;  // empty when they could not be kept
    QString error; // why not
};

// A damaged Paradox table sent with the records a salvage read gives, and the file that
// keeps its damage report.
struct SalvagedTable {
    QString table;
    qint64 records = 0;
    QString reportFile; // empty when the report could not be kept
    QString error;      // why not
};

// How one table of a run ended.
struct TableResult {
    enum class Outcome { Sent, Skipped, Failed };
    enum class Check { Off, Verified, NotVerified };
    QString source;
    QString target; // its name on the target
    Outcome outcome = Outcome::Failed;
    qint64 rowsRead = 0;
    qint64 rowsWritten = 0;  // rows that arrived
    qint64 rowsRejected = 0; // rows the target refused
    qint64 roundedValues = 0;
    qint64 salvagedRecords = -1; // records of a damaged table sent by salvage; -1: none
    Check verification = Check::Off;
    QString verificationReport; // what differed, or why it could not be read back
    QString cause;              // why it was not sent
    double seconds = 0;
    QString rejectedFile;
    QString damageReport; // the file that keeps a salvaged table's damage report
};

// What a run did, for the command-line program's summary. A table is sent when it was copied
// to its end and took its name on the target; its rows that failed are counted and kept.
struct TransferSummary {
    int tablesSent = 0;
    int tablesSkipped = 0;
    int tablesFailed = 0;
    int tablesVerified = 0;
    int tablesNotVerified = 0; // sent, and found to differ or not read back
    qint64 rowsCopied = 0;     // rows that arrived in tables that were sent
    qint64 rowsFailed = 0;
    bool cancelled = false;
    bool nothingSelected = false;
    std::vector<TableFailure> failures;
    std::vector<RejectedRowsFile> rejected;
    std::vector<SalvagedTable> salvaged;
    std::vector<TableResult> tables; // in the order they were sent
};

// The results window's table for a run: one row per table, kept rows' folder when any
// were kept.
RunResults runResults(const TransferSummary& summary, const QString& title);

// "Send Table/s To Paradox": every selected table of the SQL Server list, from the bottom
// up, through a table of the run's staging store into the Paradox folder.
TransferSummary sendTablesToParadox(TransferContext& ctx);

// "Send Table/s To SQL Server": every selected table of the Paradox list, from the bottom
// up, created on the server and filled row by row.
TransferSummary sendTablesToSqlServer(TransferContext& ctx);

} // namespace tabulex
