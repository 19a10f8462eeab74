#include "transfer/CopyRows.h"

#include "core/DataError.h"
#include "core/StopRequest.h"
#include "data/Recordset.h"
#include "host/CommandHost.h"
#include "host/ErrorTrap.h"
#include "transfer/RejectedRows.h"
#include "transfer/RowDigests.h"
#include "transfer/RowTarget.h"

#include <cmath>

namespace tabulex {

namespace {

// Counts the rows as the target settles them; a row that failed is reported (until the user
// asks for no more of this table) and kept.
class CopyOutcomes : public RowOutcomes {
public:
    CopyOutcomes(CommandHost& host, ErrorTrap& trap, int line, RejectedRows& rejected,
                 QString& current, qint64 maxRowErrors, RowDigests* digests)
        : m_host(host), m_trap(trap), m_line(line), m_rejected(rejected), m_current(current),
          m_maxRowErrors(maxRowErrors), m_digests(digests)
    {
    }

    void arrived(qint64 rows) override
    {
        result.copied += rows;
        if (m_digests)
            for (qint64 i = 0; i < rows; ++i)
                m_digests->settle(true);
    }

    void failed(const QString& statement, const QString& description, const QString& sent) override
    {
        ++result.failed;
        if (m_digests)
            m_digests->settle(false);
        m_current = sent.isEmpty() ? statement : sent;
        m_rejected.add(errorReportText(description, m_trap.location(m_line)), statement);
        if (!m_quiet)
            m_quiet = m_host.prompter().rowErrorReport(m_trap.reportText(m_line, description));
        if (m_maxRowErrors > 0 && result.failed >= m_maxRowErrors)
            throw DataError(QStringLiteral("%1 rows of the table %2 failed, as many as a table may "
                                           "have; it is not sent.")
                                .arg(result.failed)
                                .arg(m_rejected.table()));
    }

    CopyResult result;

private:
    CommandHost& m_host;
    ErrorTrap& m_trap;
    int m_line;
    RejectedRows& m_rejected;
    QString& m_current;
    qint64 m_maxRowErrors;
    RowDigests* m_digests;
    bool m_quiet = false;
};

// The next row of the source; true when the source changed and the copy stops for a retry.
bool moveNext(Recordset& source, SourceChange onChange)
{
    try {
        source.moveNext();
    } catch (const DataError& e) {
        if (e.nativeError() != kSourceChangedError || onChange == SourceChange::Report)
            throw;
        if (onChange == SourceChange::Retry)
            return true;
        throw DataError(e.description() + QStringLiteral("; it was read again and changed again"),
                        e.nativeError(), e.state());
    }
    return false;
}

} // namespace

CopyResult copyRows(CommandHost& host, ErrorTrap& trap, int line, QString& current,
                    Recordset& source, const QString& selectStatement, RowTarget& target,
                    SourceChange onChange, qint64 maxRowErrors)
{
    RejectedRows rejected(target.table(), target.statementsRun());
    CopyOutcomes outcomes(host, trap, line, rejected, current, maxRowErrors, target.digests);
    // The count comes before the rows; should the table have changed in between, every
    // row still goes and the bar simply stops at 100.
    const qint64 n = source.recordCount() - 1;
    RowProgress rows{target.table(), 0, n + 1};
    host.setRowProgress(rows);
    bool complete = true;
    bool changed = false;
    for (qint64 r = 0; complete && !source.atEnd(); ++r) {
        host.processEvents();
        stopIfRequested(); // a closing program stops at the next row
        const double share = n >= 0 ? double(r + 1) / double(n + 1) : 1.0;
        host.setProgress(int(std::lround(std::min(share, 1.0) * 100.0)));
        complete = trap.step(line, [&] { target.add(source.fields(), outcomes); });
        rows.done = r + 1;
        rows.failed = outcomes.result.failed;
        host.setRowProgress(rows);
        complete = complete && trap.step(line + 2, [&] {
            current = selectStatement;
            changed = moveNext(source, onChange);
        });
        complete = complete && !changed;
    }
    if (complete)
        complete = trap.step(line, [&] { target.flush(outcomes); });
    rows.failed = outcomes.result.failed;
    rows.finished = true;
    rows.complete = complete;
    if (!changed) // the read again ends the table
        host.setRowProgress(rows);
    host.setWaitPointer(false);
    host.setProgress(0);
    host.setProgressText(kProgressBarIdleText);
    trap.step(line + 4, [&] { source.close(); });
    CopyResult result = outcomes.result;
    result.complete = complete;
    result.sourceChanged = changed;
    result.rejectedFile = rejected.path();
    result.rejectedError = rejected.error();
    return result;
}

} // namespace tabulex
