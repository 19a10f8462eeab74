#pragma once

#include "core/Driver.h"

#include <utility>
#include <vector>

namespace tabulex {

// A cursor over rows already in memory, for small results such as a tables catalogue.
class MemoryCursor : public DriverCursor {
public:
    MemoryCursor(std::vector<ColumnInfo> columns, std::vector<std::vector<Value>> rows)
        : m_columns(std::move(columns)), m_rows(std::move(rows))
    {
    }

    const std::vector<ColumnInfo>& columns() const override { return m_columns; }
    bool fetch(std::vector<Value>& row) override
    {
        if (m_next >= m_rows.size())
            return false;
        row = std::move(m_rows[m_next++]);
        return true;
    }
    std::optional<qint64> knownRowCount() const override { return qint64(m_rows.size()); }

private:
    std::vector<ColumnInfo> m_columns;
    std::vector<std::vector<Value>> m_rows;
    size_t m_next = 0;
};

// The columns of a tables catalogue: TABLE_CAT, TABLE_SCHEM, TABLE_NAME, TABLE_TYPE, REMARKS.
std::vector<ColumnInfo> tablesCatalogueColumns();

} // namespace tabulex
