#pragma once

#include "app/Value.h"

#include <cstdio>
#include <vector>

namespace tabulex {

// Rows written to an unlinked temporary file and read back in order, so that a recordset
// can learn its row count without holding the rows in memory.
class RowSpool {
public:
    RowSpool();
    ~RowSpool();
    RowSpool(const RowSpool&) = delete;
    RowSpool& operator=(const RowSpool&) = delete;

    void write(const std::vector<Value>& row);
    // Ends writing; reading starts at the first row.
    void rewind();
    // Reads the next row into row (which keeps its size); false when none is left.
    bool read(std::vector<Value>& row);
    qint64 rowCount() const { return m_rows; }

private:
    void put(const void* data, size_t size);
    void get(void* data, size_t size);
    void writeValue(const Value& v);
    Value readValue();

    std::FILE* m_file = nullptr;
    qint64 m_rows = 0;
    qint64 m_read = 0;
};

} // namespace tabulex
