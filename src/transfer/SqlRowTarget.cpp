#include "transfer/SqlRowTarget.h"

#include "data/Connection.h"
#include "transfer/Statements.h"

namespace tabulex {

SqlRowTarget::SqlRowTarget(Connection& connection, QString table,
                           const std::vector<ColumnPlan>& columns, QString& currentStatement,
                           CommandHost& host)
    : m_connection(connection), m_table(std::move(table)), m_columns(columns),
      m_current(currentStatement), m_host(host)
{
}

void SqlRowTarget::write(const Fields& row)
{
    m_current = buildInsertStatement(m_table, row, m_columns, &m_host);
    verifyValuesFit(row, m_columns);
    m_connection.execute(m_current);
}

} // namespace tabulex
