#pragma once

#include "core/Value.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace tabulex {

// The digest of a value in the form the two sides of a send compare: empty text, bytes and
// decimals are Null; numbers are equal when their values are (5, 5.0 and the decimal 5.00
// alike, a Boolean as 1 or 0); a date is the timestamp at its midnight; text and bytes by
// their content.
std::uint64_t valueDigest(const Value& v);

// The rows of one table as digests: a count and an order-independent sum of the rows'
// digests in memory, and each row's digest and its fields' digests in a scratch file that
// is gone however the process ends, so that memory stays bounded whatever the table's size
// and a difference can be told row by row and field by field.
class RowDigests {
public:
    explicit RowDigests(int fields);
    ~RowDigests();
    RowDigests(const RowDigests&) = delete;
    RowDigests& operator=(const RowDigests&) = delete;

    int fields() const { return m_fields; }

    // The next row, as its field digests in the order of the source's fields; it counts
    // once it is settled as arrived.
    void hold(const std::uint64_t* fieldDigests);
    // The next row has nothing to count: it did not arrive.
    void holdNothing();
    // The oldest row held arrived, or did not.
    void settle(bool arrived);
    // A row counted at once.
    void add(const std::uint64_t* fieldDigests);

    qint64 rows() const { return m_rows; }
    // Same count, same rows in any order.
    bool sameRows(const RowDigests& other) const;

    // The scratch file: per row its digest (8 bytes) and one 4-byte digest per field.
    std::FILE* file() const { return m_file; }
    // Why the scratch file could not be made; empty when it was.
    const QString& error() const { return m_error; }
    size_t recordSize() const { return 8 + 4 * size_t(m_fields); }

private:
    void count(const std::uint64_t* fieldDigests);

    int m_fields;
    std::FILE* m_file = nullptr;
    QString m_error;
    qint64 m_rows = 0;
    std::uint64_t m_sum = 0;
    std::uint64_t m_mixed = 0;
    // Rows held and not yet settled: their field digests, and whether there are any.
    std::vector<std::uint64_t> m_held;
    std::vector<bool> m_heldSome;
    size_t m_heldFirst = 0; // the oldest held row
};

// What differs between the rows that were sent and the rows the table holds, in one text:
// the counts, the first rows of the source not in the table (their numbers in the order
// read, from 1), the fields that differ where a row of the table matches one of them in its
// other fields, and the first rows of the table that are not the source's. Reads both
// scratch files in passes of bounded memory. `names` are the source's field names.
QString describeDifference(const QString& table, const RowDigests& sent, const RowDigests& held,
                           const QStringList& names);

} // namespace tabulex
