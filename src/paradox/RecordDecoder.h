#pragma once

#include "paradox/CodePage.h"
#include "paradox/Header.h"
#include "paradox/Value.h"

#include <functional>
#include <string>
#include <vector>

namespace paradox {

class BlobReader;

// Turns the bytes of one record into values: NULL as Paradox means it, text in UTF-8,
// BLObs from the leader or the .MB file.
class RecordDecoder {
public:
    // `blobs` gives the table's .MB reader when a value lives there (it throws when the table
    // has none).
    RecordDecoder(const TableHeader& header, std::string table, std::function<BlobReader&()> blobs);

    // `number` (from 1) names the record in messages.
    void decode(const unsigned char* record, std::vector<Value>& row, std::uint64_t number);

private:
    void decodeField(const Field& field, const unsigned char* p, Value& out);
    void decodeBlob(const Field& field, const unsigned char* p, Value& out);
    [[noreturn]] void fail(const Field& field, const std::string& what) const;

    const TableHeader& m_header;
    std::string m_table;
    std::function<BlobReader&()> m_blobs;
    TextDecoder m_text;
    std::string m_scratch;
    std::uint64_t m_record = 0;
};

} // namespace paradox
