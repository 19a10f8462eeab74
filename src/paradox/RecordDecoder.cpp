#include "paradox/RecordDecoder.h"

#include "paradox/Bcd.h"
#include "paradox/BlobReader.h"
#include "paradox/ByteOrder.h"
#include "paradox/Calendar.h"
#include "paradox/Error.h"
#include "paradox/Layout.h"

#include <cmath>
#include <cstring>

namespace paradox {

namespace {

constexpr unsigned char kFalse = 0x80;

bool allZero(const unsigned char* p, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i] != 0)
            return false;
    return true;
}

} // namespace

RecordDecoder::RecordDecoder(const TableHeader& header, std::string table,
                             std::function<BlobReader&()> blobs)
    : m_header(header), m_table(std::move(table)), m_blobs(std::move(blobs)),
      m_text(header.encoding)
{
}

void RecordDecoder::fail(const Field& field, const std::string& what) const
{
    throw ValueError(m_table,
                     "record " + std::to_string(m_record) + ", field " + field.name + ": " + what);
}

void RecordDecoder::decode(const unsigned char* record, std::vector<Value>& row,
                           std::uint64_t number)
{
    m_record = number;
    row.resize(m_header.fields.size());
    for (std::size_t i = 0; i < m_header.fields.size(); ++i) {
        const Field& f = m_header.fields[i];
        decodeField(f, record + f.offset, row[i]);
    }
}

void RecordDecoder::decodeField(const Field& f, const unsigned char* p, Value& out)
{
    std::int64_t i = 0;
    double d = 0;
    switch (f.type) {
    case FieldType::Alpha: {
        const auto* end = static_cast<const unsigned char*>(std::memchr(p, 0, f.width));
        const std::size_t n = end ? std::size_t(end - p) : std::size_t(f.width);
        if (n == 0)
            return out.setNull();
        return m_text.decode(p, n, out.textBuffer());
    }
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoIncrement:
        return bytes::getInt(p, f.width, i) ? out.set(i) : out.setNull();
    case FieldType::Number:
    case FieldType::Money:
        return bytes::getDouble(p, d) ? out.set(d) : out.setNull();
    case FieldType::Logical:
        return p[0] == 0 ? out.setNull() : out.set(p[0] != kFalse);
    case FieldType::Date:
        return bytes::getInt(p, 4, i) ? out.set(calendar::dateOfDay(i)) : out.setNull();
    case FieldType::Time:
        if (!bytes::getInt(p, 4, i))
            return out.setNull();
        if (i < 0 || i >= calendar::kMillisPerDay)
            fail(f, "the time " + std::to_string(i) + " ms is not a time of day");
        return out.set(calendar::timeOfMillis(i));
    case FieldType::Timestamp: {
        if (!bytes::getDouble(p, d))
            return out.setNull();
        const double ms = std::round(d);
        // Day numbers of the dates a timestamp can name fit in 32 bits.
        if (!std::isfinite(ms) || std::fabs(ms) > 2147483647.0 * calendar::kMillisPerDay)
            fail(f, "the timestamp value is not a date and time");
        const auto total = std::int64_t(ms);
        std::int64_t day = total / calendar::kMillisPerDay;
        std::int64_t rest = total % calendar::kMillisPerDay;
        if (rest < 0) {
            rest += calendar::kMillisPerDay;
            --day;
        }
        return out.set(Timestamp{calendar::dateOfDay(day), calendar::timeOfMillis(rest)});
    }
    case FieldType::Bcd:
        if (p[0] == 0)
            return out.setNull();
        if (!bcd::decode(p, m_scratch))
            fail(f, "the BCD value has an invalid scale");
        return out.set(Decimal{m_scratch});
    case FieldType::Bytes:
        if (allZero(p, f.width))
            return out.setNull();
        out.bytesBuffer().assign(reinterpret_cast<const char*>(p), std::size_t(f.width));
        return;
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FormattedMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        return decodeBlob(f, p, out);
    }
}

void RecordDecoder::decodeBlob(const Field& f, const unsigned char* p, Value& out)
{
    const int leader = f.width - kBlobTail;
    const unsigned char* tail = p + leader;
    const std::uint32_t offsetIndex = bytes::le32(tail);
    const std::uint32_t length = bytes::le32(tail + 4);
    if (length == 0)
        return out.setNull();
    m_scratch.clear();
    if (length <= std::uint32_t(leader)) {
        m_scratch.assign(reinterpret_cast<const char*>(p), length);
    } else {
        if (offsetIndex == 0)
            fail(f, "a value of " + std::to_string(length) +
                        " bytes is neither in the record nor in the memo file");
        if (!m_lost) {
            m_blobs().read(offsetIndex, length, m_scratch);
        } else {
            try {
                m_blobs().read(offsetIndex, length, m_scratch);
            } catch (const BlobError& e) {
                m_lost(f, e.kind());
                return out.setNull();
            }
        }
    }
    if (f.type == FieldType::Memo)
        return m_text.decode(reinterpret_cast<const unsigned char*>(m_scratch.data()),
                             m_scratch.size(), out.textBuffer());
    // A graphic is stored behind an 8-byte prefix of its own.
    const std::size_t skip =
        f.type == FieldType::Graphic && m_scratch.size() >= layout::kGraphicPrefix
            ? layout::kGraphicPrefix
            : 0;
    out.bytesBuffer().assign(m_scratch, skip);
}

} // namespace paradox
