#pragma once

#include "core/Value.h"
#include "data/Recordset.h"
#include "transfer/RowTarget.h"
#include "transfer/TypeMapping.h"

#include <vector>

namespace tabulex {

class CommandHost;

namespace staging {
class StagingStore;
}

// Rows put into a staging table as values, with the same checks and outcome as their
// INSERT statements would have; a statement is built only when a report may show it.
class StagingRowTarget : public RowTarget {
public:
    // A null store is one that could not be made: every row then fails as on a closed
    // connection.
    StagingRowTarget(staging::StagingStore* store, QString table,
                     const std::vector<ColumnPlan>& columns, QString& currentStatement,
                     CommandHost& host);

    const QString& table() const override { return m_table; }
    void write(const Fields& row) override;
    void finish() override;

private:
    staging::StagingStore* m_store;
    QString m_table;
    const std::vector<ColumnPlan>& m_columns;
    QString& m_current;
    CommandHost& m_host;
    std::vector<Value> m_values;
    Fields m_last;
    bool m_lastPending = false;
};

// The run's staging store; throws as a closed connection does when it could not be made, so
// that each step on it fails and is reported.
staging::StagingStore& openedStore(staging::StagingStore* store);

} // namespace tabulex
