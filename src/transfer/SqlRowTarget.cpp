#include "transfer/SqlRowTarget.h"

#include "core/DataError.h"
#include "core/SqlQuoting.h"
#include "data/Connection.h"
#include "data/Recordset.h"
#include "transfer/RowDigests.h"
#include "transfer/Statements.h"

#include <algorithm>

namespace tabulex {

namespace {

// SQL Server's "Could not allocate space" and "The transaction log is full".
constexpr int kDatabaseFull = 1105;
constexpr int kLogFull = 9002;

// FreeTDS's own numbers for a connection that failed, timed out, or ended: at times they come
// with the warning state 01000 alone ("Unexpected EOF from the server", 20017).
// A statement of several rows stays below this many characters; a longer row goes alone.
constexpr qsizetype kMaxStatementChars = qsizetype(1) << 20;

bool isFreeTdsConnectionError(int native)
{
    for (int n : {20002, 20003, 20004, 20006, 20009, 20017, 20047})
        if (native == n)
            return true;
    return false;
}

} // namespace

bool endsTheTable(const DataError& error)
{
    const QString& state = error.state();
    return state.startsWith(QLatin1String("08")) || state == QLatin1String("HYT00") ||
           state == QLatin1String("HYT01") || isFreeTdsConnectionError(error.nativeError()) ||
           error.nativeError() == kDatabaseFull || error.nativeError() == kLogFull;
}

SqlRowTarget::SqlRowTarget(Connection& connection, QString table, QString target,
                           const std::vector<ColumnPlan>& columns, QString& currentStatement,
                           int rowsPerStatement)
    : m_connection(connection), m_table(std::move(table)), m_target(std::move(target)),
      m_targetHead(insertHead(m_target)), m_reportHead(insertHead(m_table)),
      m_rounded(columns.size(), 0), m_columns(columns), m_current(currentStatement),
      m_rowsPerStatement(std::clamp(rowsPerStatement, 1, kMaxRowsPerStatement))
{
}

void SqlRowTarget::nameColumns(const QStringList& names)
{
    QStringList quoted;
    for (const QString& n : names)
        quoted << bracketName(n);
    const QString list = u'(' + quoted.join(QStringLiteral(", ")) + QStringLiteral(") VALUES");
    m_targetHead = QStringLiteral("INSERT INTO ") + bracketName(m_target) + u' ' + list;
    m_reportHead = QStringLiteral("INSERT INTO ") + bracketName(m_table) + u' ' + list;
}

void SqlRowTarget::add(const Fields& row, RowOutcomes& outcomes)
{
    m_values.clear();
    appendValues(m_values, row, m_columns);
    for (int i = 0; i < row.count(); ++i)
        if (changedByRounding(row[i].value, m_columns[size_t(i)]))
            ++m_rounded[size_t(i)];
    if (digests) {
        m_digests.resize(size_t(row.count()));
        for (int i = 0; i < row.count(); ++i)
            m_digests[size_t(i)] = valueDigest(valueAsWritten(row[i].value, m_columns[size_t(i)]));
        digests->hold(m_digests.data());
    }
    try {
        verifyValuesFit(row, m_columns);
    } catch (const DataError& e) {
        // The rows before it are settled first: outcomes come in the order of the rows.
        sendHeld(outcomes);
        outcomes.failed(m_reportHead + m_values, e.description());
        return;
    }
    if (!m_rowEnds.empty() && m_held.size() + 2 + m_values.size() > kMaxStatementChars)
        sendHeld(outcomes);
    if (!m_rowEnds.empty())
        m_held += QLatin1String(", ");
    m_held += m_values;
    m_rowEnds.push_back(m_held.size());
    if (qsizetype(m_rowEnds.size()) >= m_rowsPerStatement)
        sendHeld(outcomes);
}

void SqlRowTarget::flush(RowOutcomes& outcomes) { sendHeld(outcomes); }

void SqlRowTarget::sendHeld(RowOutcomes& outcomes)
{
    if (m_rowEnds.empty())
        return;
    QString description;
    if (m_rowEnds.size() == 1) {
        sendRow(m_held, outcomes);
    } else if (execute(m_held, description)) {
        outcomes.arrived(qint64(m_rowEnds.size()));
    } else {
        qsizetype begin = 0;
        for (qsizetype end : m_rowEnds) {
            sendRow(m_held.mid(begin, end - begin), outcomes);
            begin = end + 2;
        }
    }
    m_held.truncate(0);
    m_rowEnds.clear();
}

void SqlRowTarget::sendRow(const QString& values, RowOutcomes& outcomes)
{
    QString description;
    if (execute(values, description))
        outcomes.arrived(1);
    else
        outcomes.failed(m_reportHead + values, description, m_targetHead + values);
}

bool SqlRowTarget::execute(const QString& values, QString& description)
{
    try {
        m_connection.execute(m_targetHead + values);
        return true;
    } catch (const DataError& e) {
        // The reports show the statement as it was sent, and the server's text as it came.
        if (endsTheTable(e)) {
            m_current = m_targetHead + values;
            throw;
        }
        description = e.description();
        return false;
    }
}

} // namespace tabulex
