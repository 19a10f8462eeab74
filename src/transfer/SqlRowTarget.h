#pragma once

#include "transfer/RowTarget.h"
#include "transfer/TypeMapping.h"

#include <QStringList>

#include <cstdint>
#include <vector>

namespace tabulex {

class Connection;
class DataError;

// SQL Server takes at most this many rows in one INSERT ... VALUES statement.
inline constexpr int kMaxRowsPerStatement = 1000;
// The rows of one statement unless the caller asks otherwise.
inline constexpr int kDefaultRowsPerStatement = kMaxRowsPerStatement;

// Rows sent to SQL Server as INSERT statements, each row once no value of it would be
// changed silently by its column. Up to `rowsPerStatement` rows go in one statement
// "INSERT INTO [t] VALUES(...), (...)" of bounded size, with the literals of the single-row
// statements; a statement the server refuses is sent again row by row, so that the rows
// that fail are exactly those that fail alone, each reported with its own INSERT. The rows
// go into the table being built (`target`): reports show the statement as it was sent, to
// that table, and the rejected rows name the table by its own name, so that they can be run
// once it has it.
class SqlRowTarget : public RowTarget {
public:
    SqlRowTarget(Connection& connection, QString table, QString target,
                 const std::vector<ColumnPlan>& columns, QString& currentStatement,
                 int rowsPerStatement = kDefaultRowsPerStatement);

    // Names the columns in every INSERT ("INSERT INTO [t] ([a], [b]) VALUES"), as a load
    // into an IDENTITY column with IDENTITY_INSERT on must.
    void nameColumns(const QStringList& names);
    // Per column: the values written rounded (ColumnPlan::roundedDecimals).
    const std::vector<qint64>& rounded() const { return m_rounded; }

    const QString& table() const override { return m_table; }
    void add(const Fields& row, RowOutcomes& outcomes) override;
    void flush(RowOutcomes& outcomes) override;

private:
    // Sends the rows held back in one statement, or row by row when it fails.
    void sendHeld(RowOutcomes& outcomes);
    // Sends one row's INSERT and tells its outcome.
    void sendRow(const QString& values, RowOutcomes& outcomes);
    // Executes the INSERT of the value lists into the table being built; false, with the
    // server's text, when it was refused. A failure that ends the table is thrown, with the
    // statement as reports show it in hand.
    bool execute(const QString& values, QString& description);

    Connection& m_connection;
    QString m_table;
    QString m_target;
    QString m_targetHead;
    QString m_reportHead; // the INSERT head with the table's own name
    std::vector<qint64> m_rounded;
    const std::vector<ColumnPlan>& m_columns;
    QString& m_current;
    int m_rowsPerStatement;
    QString m_values;
    QString m_held;                   // value lists of rows held back, joined by ", "
    std::vector<qsizetype> m_rowEnds; // where each held row's value list ends in m_held
    std::vector<std::uint64_t> m_digests;
};

// True for a failure after which no further statement of the table can be trusted to arrive:
// the connection is lost or timed out, or the database is full.
bool endsTheTable(const DataError& error);

} // namespace tabulex
