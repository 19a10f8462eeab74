#pragma once

#include "core/Value.h"
#include "data/Recordset.h"
#include "transfer/RowTarget.h"
#include "transfer/TypeMapping.h"

#include <cstdint>
#include <vector>

namespace tabulex {

namespace staging {
class StagingStore;
struct StagingTable;
} // namespace staging

// Rows put into a staging table as values, with the same checks and outcome as their
// INSERT statements would have; a statement is built only when a report may show it. A value
// the table refuses fails its row; a store that fails (or could not be made) ends the table.
class StagingRowTarget : public RowTarget {
public:
    StagingRowTarget(staging::StagingStore* store, QString table,
                     const std::vector<ColumnPlan>& columns, QString& currentStatement);

    const QString& table() const override { return m_table; }
    void add(const Fields& row, RowOutcomes& outcomes) override;
    // Its statements show rows as the staging store took them; nothing runs them.
    bool statementsRun() const override { return false; }

private:
    void holdExported(const staging::StagingTable& t, const std::vector<Value>& stored);

    staging::StagingStore* m_store;
    QString m_table;
    const std::vector<ColumnPlan>& m_columns;
    QString& m_current;
    std::vector<Value> m_values;
    std::vector<std::uint64_t> m_digests;
    const staging::StagingTable* m_staged = nullptr;
};

// The run's staging store; throws as a closed connection does when it could not be made, so
// that each step on it fails and is reported.
staging::StagingStore& openedStore(staging::StagingStore* store);

} // namespace tabulex
