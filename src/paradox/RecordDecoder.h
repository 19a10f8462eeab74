#pragma once

#include "paradox/BlobReader.h"
#include "paradox/CodePage.h"
#include "paradox/Error.h"
#include "paradox/Header.h"
#include "paradox/Value.h"

#include <functional>
#include <string>
#include <vector>

namespace paradox {

// A value of a record that is not a value of its type.
class ValueError : public Error {
public:
    using Error::Error;
};

// Turns the bytes of one record into values: NULL as Paradox means it, text in UTF-8,
// BLObs from the leader or the .MB file.
class RecordDecoder {
public:
    // `blobs` gives the table's .MB reader when a value lives there (it throws when the table
    // has none).
    RecordDecoder(const TableHeader& header, std::string table, std::function<BlobReader&()> blobs);

    // `number` (from 1) names the record in messages. A value the record does not hold
    // throws ValueError; one its .MB cannot give throws BlobError, unless lost values are
    // kept account of.
    void decode(const unsigned char* record, std::vector<Value>& row, std::uint64_t number);

    // Salvage reading: a BLOb value that the .MB cannot give becomes NULL and is passed on.
    using LostValue = std::function<void(const Field&, BlobError::Kind)>;
    void keepLostValues(LostValue lost) { m_lost = std::move(lost); }

private:
    void decodeField(const Field& field, const unsigned char* p, Value& out);
    void decodeBlob(const Field& field, const unsigned char* p, Value& out);
    [[noreturn]] void fail(const Field& field, const std::string& what) const;

    const TableHeader& m_header;
    std::string m_table;
    std::function<BlobReader&()> m_blobs;
    LostValue m_lost;
    TextDecoder m_text;
    std::string m_scratch;
    std::uint64_t m_record = 0;
};

} // namespace paradox
