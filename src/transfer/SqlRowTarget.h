#pragma once

#include "transfer/RowTarget.h"
#include "transfer/TypeMapping.h"

#include <vector>

namespace tabulex {

class CommandHost;
class Connection;
class DataError;

// Rows sent to SQL Server as INSERT statements, each row once no value of it would be
// changed silently by its column. The rows go into the table being built (`target`); the
// statements of reports and of the rejected rows name the table by its own name.
class SqlRowTarget : public RowTarget {
public:
    SqlRowTarget(Connection& connection, QString table, QString target,
                 const std::vector<ColumnPlan>& columns, QString& currentStatement,
                 CommandHost& host);

    const QString& table() const override { return m_table; }
    void add(const Fields& row, RowOutcomes& outcomes) override;

private:
    // The server's text with the name of the table being built replaced by the table's own.
    QString ownName(const QString& description) const;

    Connection& m_connection;
    QString m_table;
    QString m_target;
    QString m_targetHead;
    const std::vector<ColumnPlan>& m_columns;
    QString& m_current;
    CommandHost& m_host;
    QString m_values;
};

// True for a failure after which no further statement of the table can be trusted to arrive:
// the connection is lost or timed out, or the database is full.
bool endsTheTable(const DataError& error);

} // namespace tabulex
