#pragma once

#include "paradox/CodePage.h"
#include "paradox/Header.h"
#include "paradox/Value.h"

#include <functional>
#include <string>
#include <vector>

namespace paradox {

class BlobWriter;

// Turns one row of values into the bytes of a record, refusing (with an Error naming the
// column) every value the field cannot hold exactly.
class RecordEncoder {
public:
    RecordEncoder(const std::vector<Field>& fields, std::string table, int codePage,
                  std::function<BlobWriter&()> blobs);

    // `record` has room for the record size; it is overwritten entirely.
    void encode(const std::vector<Value>& row, unsigned char* record);

    // The highest Autoincrement value written so far.
    std::int64_t lastAutoIncrement() const { return m_lastAuto; }

private:
    void encodeField(const Field& f, const Value& v, unsigned char* p);
    void encodeInteger(const Field& f, const Value& v, unsigned char* p);
    void encodeDouble(const Field& f, const Value& v, unsigned char* p);
    void encodeBcd(const Field& f, const Value& v, unsigned char* p);
    void encodeDate(const Field& f, const Value& v, unsigned char* p);
    void encodeTime(const Field& f, const Value& v, unsigned char* p);
    void encodeTimestamp(const Field& f, const Value& v, unsigned char* p);
    void encodeAlpha(const Field& f, const Value& v, unsigned char* p);
    void encodeBytes(const Field& f, const Value& v, unsigned char* p);
    void encodeBlob(const Field& f, const Value& v, unsigned char* p);
    const std::string& textOf(const Field& f, const std::string& utf8);
    [[noreturn]] void fail(const Field& f, const std::string& what) const;
    [[noreturn]] void wrongKind(const Field& f, const Value& v) const;

    const std::vector<Field>& m_fields;
    std::string m_table;
    int m_codePage;
    std::function<BlobWriter&()> m_blobs;
    TextEncoder m_text;
    std::string m_encoded;
    std::string m_blob;
    std::int64_t m_lastAuto = 0;
};

} // namespace paradox
