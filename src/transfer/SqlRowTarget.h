#pragma once

#include "transfer/RowTarget.h"
#include "transfer/TypeMapping.h"

#include <vector>

namespace tabulex {

class CommandHost;
class Connection;

// Rows sent to SQL Server: each row's INSERT statement, executed on the connection once no
// value of it would be changed silently by its column.
class SqlRowTarget : public RowTarget {
public:
    SqlRowTarget(Connection& connection, QString table, const std::vector<ColumnPlan>& columns,
                 QString& currentStatement, CommandHost& host);

    const QString& table() const override { return m_table; }
    void write(const Fields& row) override;

private:
    Connection& m_connection;
    QString m_table;
    const std::vector<ColumnPlan>& m_columns;
    QString& m_current;
    CommandHost& m_host;
};

} // namespace tabulex
