#include "transfer/StagingRowTarget.h"

#include "core/DataError.h"
#include "staging/ParadoxExport.h"
#include "staging/StagingStore.h"
#include "transfer/RowDigests.h"
#include "transfer/Statements.h"

namespace tabulex {

namespace {

// The values the row's INSERT statement writes, as the staging store takes them: a
// Boolean written as a digit is that number, bytes written as text are their hex digits,
// and bytes stay binary data only where the statement writes them as 0x....
void stagingValues(const Fields& row, const std::vector<ColumnPlan>& columns,
                   std::vector<Value>& out)
{
    out.resize(size_t(row.count()));
    for (int i = 0; i < row.count(); ++i) {
        const Value& v = row[i].value;
        const LiteralStyle style = columns[size_t(i)].style;
        Value& value = out[size_t(i)];
        if (writtenAsNull(v))
            value = Value();
        else if (v.kind() == Value::Kind::Bool && style == LiteralStyle::BooleanDigits)
            value = Value(v.toBool() ? 1 : 0);
        else if (v.kind() == Value::Kind::Bytes && style != LiteralStyle::Hex)
            value = Value(v.toText());
        else
            value = v;
    }
}

} // namespace

void StagingRowTarget::holdExported(const staging::StagingTable& t,
                                    const std::vector<Value>& stored)
{
    m_digests.resize(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        const Value::Kind k = stored[i].kind();
        m_digests[i] = k == Value::Kind::Timestamp || k == Value::Kind::Decimal
                           ? valueDigest(staging::exportedValue(stored[i], t.columns[i].type))
                           : valueDigest(stored[i]);
    }
    digests->hold(m_digests.data());
}

staging::StagingStore& openedStore(staging::StagingStore* store)
{
    if (!store)
        throw DataError(QStringLiteral("Operation is not allowed when the object is closed."),
                        3704);
    return *store;
}

StagingRowTarget::StagingRowTarget(staging::StagingStore* store, QString table,
                                   const std::vector<ColumnPlan>& columns,
                                   QString& currentStatement)
    : m_store(store), m_table(std::move(table)), m_columns(columns), m_current(currentStatement)
{
}

void StagingRowTarget::add(const Fields& row, RowOutcomes& outcomes)
{
    try {
        staging::StagingStore& store = openedStore(m_store);
        stagingValues(row, m_columns, m_values);
        const std::vector<Value>& stored = store.addRow(m_table, m_values);
        if (digests) {
            if (!m_staged)
                m_staged = &store.table(m_table);
            holdExported(*m_staged, stored);
        }
    } catch (const staging::StoreFailure&) {
        m_current = buildInsertStatement(m_table, row, m_columns);
        throw;
    } catch (const DataError& e) {
        // The store that could not be made throws as a closed connection does.
        if (!m_store) {
            m_current = buildInsertStatement(m_table, row, m_columns);
            throw;
        }
        if (digests)
            digests->holdNothing();
        outcomes.failed(buildInsertStatement(m_table, row, m_columns), e.description());
        return;
    }
    outcomes.arrived(1);
}

} // namespace tabulex
