#pragma once

#include "batch/BatchHost.h"
#include "batch/BatchOptions.h"
#include "batch/BatchPrompter.h"
#include "connect/ConnectionStrings.h"
#include "host/MemoryTableList.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace tabulex {
struct TransferSummary;
}

namespace tabulex::batch {

class Console;

// One run of a command over the engine, with the lists, prompter and host the table window
// would use. run() gives the exit status. A command line that names unknown tables, lacks
// a connection value, or leaves a question open without a terminal to ask on throws
// UsageError before anything is changed.
class BatchRun {
public:
    BatchRun(const BatchOptions& options, const ConnectionFields& fields, Console& console);

    int run();

private:
    int list();
    int send();
    int remove();
    int rename();
    // The summary of a send that a stop signal ended between two rows.
    int stopped();

    void requireConnectionValues() const;
    // Fills the list of one side; false (after saying why) when it could not be read.
    bool fill(MemoryTableList& list, Side side);
    // Selects the named tables exactly as listed, or all of them.
    void select(MemoryTableList& list, Side side, const QStringList& names, bool all) const;
    // Without a terminal, the questions a send would ask must be answered by flags.
    void requireAnswers(const TableList& source) const;
    // The exit status after the engine ran: failures counted or reported.
    int status(bool failed) const;
    void summary(const QString& text);
    // --report: the run as one JSON document; false (after saying why) when it could not be
    // written.
    bool writeReport(const TransferSummary* s, int status);
    MemoryTableList& listOf(Side side) { return side == Side::Sql ? m_sqlList : m_paradoxList; }

    const BatchOptions& m_options;
    ConnectionFields m_fields;
    Console& m_console;
    Answer m_overwrite;
    Answer m_cut;
    Answer m_damaged;
    BatchPrompter m_prompter;
    BatchHost m_host;
    MemoryTableList m_sqlList;
    MemoryTableList m_paradoxList;
    QElapsedTimer m_clock;
    QDateTime m_started;
};

} // namespace tabulex::batch
