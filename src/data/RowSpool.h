#pragma once

#include "core/Value.h"

#include <cstddef>
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
    void flush();
    void fill();
    void writeValue(const Value& v);
    Value readValue();

    int m_fd = -1;
    std::vector<char> m_buffer; // rows on their way to or from the file
    size_t m_pos = 0;           // writing: bytes in the buffer; reading: next byte
    size_t m_end = 0;           // reading: bytes in the buffer
    qint64 m_rows = 0;
    qint64 m_read = 0;
};

} // namespace tabulex
