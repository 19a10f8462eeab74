#include "transfer/SqlRowTarget.h"

#include "core/DataError.h"
#include "data/Connection.h"
#include "transfer/Statements.h"

namespace tabulex {

namespace {

// SQL Server's "Could not allocate space" and "The transaction log is full".
constexpr int kDatabaseFull = 1105;
constexpr int kLogFull = 9002;

// FreeTDS's own numbers for a connection that failed, timed out, or ended: at times they come
// with the warning state 01000 alone ("Unexpected EOF from the server", 20017).
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
                           CommandHost& host)
    : m_connection(connection), m_table(std::move(table)), m_target(std::move(target)),
      m_targetHead(insertHead(m_target)), m_columns(columns), m_current(currentStatement),
      m_host(host)
{
}

QString SqlRowTarget::ownName(const QString& description) const
{
    QString text = description;
    return m_target == m_table ? text : text.replace(m_target, m_table);
}

void SqlRowTarget::add(const Fields& row, RowOutcomes& outcomes)
{
    m_values.clear();
    appendValues(m_values, row, m_columns, &m_host);
    try {
        verifyValuesFit(row, m_columns);
    } catch (const DataError& e) {
        outcomes.failed(insertHead(m_table) + m_values, e.description());
        return;
    }
    try {
        m_connection.execute(m_targetHead + m_values);
    } catch (const DataError& e) {
        m_current = insertHead(m_table) + m_values;
        if (endsTheTable(e))
            throw DataError(ownName(e.description()), e.nativeError(), e.state());
        outcomes.failed(m_current, ownName(e.description()));
        return;
    }
    outcomes.arrived(1);
}

} // namespace tabulex
