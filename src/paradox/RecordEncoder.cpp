#include "paradox/RecordEncoder.h"

#include "paradox/Bcd.h"
#include "paradox/BlobWriter.h"
#include "paradox/ByteOrder.h"
#include "paradox/Calendar.h"
#include "paradox/Error.h"
#include "paradox/Layout.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace paradox {

namespace {

constexpr unsigned char kFalse = 0x80;
constexpr unsigned char kTrue = 0x81;
constexpr std::int64_t kMaxExactInteger = std::int64_t(1) << 53;

std::string shortestText(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    return std::string(buf, r.ptr);
}

} // namespace

RecordEncoder::RecordEncoder(const std::vector<Field>& fields, std::string table, int codePage,
                             std::function<BlobWriter&()> blobs)
    : m_fields(fields), m_table(std::move(table)), m_codePage(codePage), m_blobs(std::move(blobs)),
      m_text("CP" + std::to_string(codePage)) {}

void RecordEncoder::fail(const Field& f, const std::string& what) const {
    throw Error(m_table, "column " + f.name + ": " + what);
}

void RecordEncoder::wrongKind(const Field& f, const Value& v) const {
    fail(f, std::string(kindName(v.kind())) + " values cannot be stored in a field of type " +
                fieldTypeName(f.type));
}

void RecordEncoder::encode(const std::vector<Value>& row, unsigned char* record) {
    if (row.size() != m_fields.size())
        throw Error(m_table, "a row of " + std::to_string(row.size()) + " values for " +
                                 std::to_string(m_fields.size()) + " fields");
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const Field& f = m_fields[i];
        unsigned char* p = record + f.offset;
        std::memset(p, 0, std::size_t(f.width));
        if (!row[i].isNull())
            encodeField(f, row[i], p);
        else if (f.type == FieldType::AutoIncrement)
            encodeInteger(f, Value(m_lastAuto + 1), p);
    }
}

void RecordEncoder::encodeField(const Field& f, const Value& v, unsigned char* p) {
    switch (f.type) {
    case FieldType::Alpha:
        return encodeAlpha(f, v, p);
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoIncrement:
        return encodeInteger(f, v, p);
    case FieldType::Number:
    case FieldType::Money:
        return encodeDouble(f, v, p);
    case FieldType::Bcd:
        return encodeBcd(f, v, p);
    case FieldType::Logical:
        if (v.kind() != Value::Kind::Bool)
            wrongKind(f, v);
        p[0] = v.toBool() ? kTrue : kFalse;
        return;
    case FieldType::Date:
        return encodeDate(f, v, p);
    case FieldType::Time:
        return encodeTime(f, v, p);
    case FieldType::Timestamp:
        return encodeTimestamp(f, v, p);
    case FieldType::Bytes:
        return encodeBytes(f, v, p);
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FormattedMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        return encodeBlob(f, v, p);
    }
}

void RecordEncoder::encodeInteger(const Field& f, const Value& v, unsigned char* p) {
    std::int64_t n = 0;
    if (v.kind() == Value::Kind::Int)
        n = v.toInt();
    else if (v.kind() == Value::Kind::Double && std::trunc(v.toDouble()) == v.toDouble() &&
             std::fabs(v.toDouble()) < double(kMaxExactInteger))
        n = std::int64_t(v.toDouble());
    else
        wrongKind(f, v);
    // The type's minimum would be stored as all zero bytes, which means NULL.
    const std::int64_t limit = f.width == 2 ? 32767 : 2147483647;
    if (n < -limit || n > limit)
        fail(f, "the value " + std::to_string(n) + " is outside the range of a " +
                    fieldTypeName(f.type) + " field (" + std::to_string(-limit) + " to " +
                    std::to_string(limit) + ")");
    if (f.type == FieldType::AutoIncrement && n > m_lastAuto)
        m_lastAuto = n;
    bytes::putInt(p, f.width, n);
}

void RecordEncoder::encodeDouble(const Field& f, const Value& v, unsigned char* p) {
    double d = 0;
    switch (v.kind()) {
    case Value::Kind::Double:
        d = v.toDouble();
        break;
    case Value::Kind::Int:
        if (v.toInt() > kMaxExactInteger || v.toInt() < -kMaxExactInteger)
            fail(f, "the integer " + std::to_string(v.toInt()) +
                        " has more digits than a floating-point field keeps");
        d = double(v.toInt());
        break;
    case Value::Kind::Decimal: {
        const std::string& t = v.toDecimal().text;
        const auto r = std::from_chars(t.data(), t.data() + t.size(), d);
        if (r.ec != std::errc() || r.ptr != t.data() + t.size())
            fail(f, "\"" + t + "\" is not a number");
        break;
    }
    default:
        wrongKind(f, v);
    }
    if (!std::isfinite(d))
        fail(f, "only finite numbers can be stored");
    bytes::putDouble(p, d);
}

void RecordEncoder::encodeBcd(const Field& f, const Value& v, unsigned char* p) {
    std::string text;
    if (v.kind() == Value::Kind::Decimal)
        text = v.toDecimal().text;
    else if (v.kind() == Value::Kind::Int)
        text = std::to_string(v.toInt());
    else if (v.kind() == Value::Kind::Double && std::isfinite(v.toDouble()))
        text = shortestText(v.toDouble());
    else
        wrongKind(f, v);
    const std::string why = bcd::encode(text, f.size, p);
    if (!why.empty())
        fail(f, "the value " + text + " cannot be stored: " + why);
}

void RecordEncoder::encodeDate(const Field& f, const Value& v, unsigned char* p) {
    if (v.kind() != Value::Kind::Date)
        wrongKind(f, v);
    const Date& d = v.toDate();
    if (!calendar::isValid(d) || d.year < 1 || d.year > 9999)
        fail(f, "not a date between the years 1 and 9999");
    bytes::putInt(p, 4, calendar::dayNumber(d));
}

void RecordEncoder::encodeTime(const Field& f, const Value& v, unsigned char* p) {
    if (v.kind() != Value::Kind::Time)
        wrongKind(f, v);
    if (!calendar::isValid(v.toTime()))
        fail(f, "not a time of day");
    // Midnight stays distinct from NULL: the encoding of 0 is not all zero.
    bytes::putInt(p, 4, calendar::millisOfDay(v.toTime()));
}

void RecordEncoder::encodeTimestamp(const Field& f, const Value& v, unsigned char* p) {
    Timestamp ts;
    if (v.kind() == Value::Kind::Timestamp)
        ts = v.toTimestamp();
    else if (v.kind() == Value::Kind::Date)
        ts.date = v.toDate();
    else
        wrongKind(f, v);
    if (!calendar::isValid(ts.date) || ts.date.year < 1 || ts.date.year > 9999 ||
        !calendar::isValid(ts.time))
        fail(f, "not a date and time between the years 1 and 9999");
    const std::int64_t ms =
        calendar::dayNumber(ts.date) * calendar::kMillisPerDay + calendar::millisOfDay(ts.time);
    bytes::putDouble(p, double(ms));
}

const std::string& RecordEncoder::textOf(const Field& f, const std::string& utf8) {
    char32_t bad = 0;
    if (!m_text.encode(utf8, m_encoded, bad))
        fail(f, bad == 0xFFFD
                    ? std::string("the text is not valid UTF-8")
                    : "the character " + describeCharacter(bad) +
                          " cannot be written in code page " + std::to_string(m_codePage));
    return m_encoded;
}

void RecordEncoder::encodeAlpha(const Field& f, const Value& v, unsigned char* p) {
    if (v.kind() != Value::Kind::Text)
        wrongKind(f, v);
    const std::string& bytes = textOf(f, v.toText());
    if (bytes.find('\0') != std::string::npos)
        fail(f, "an Alpha value cannot hold the character U+0000");
    if (bytes.size() > std::size_t(f.width))
        fail(f, "the value takes " + std::to_string(bytes.size()) + " bytes in code page " +
                    std::to_string(m_codePage) + ", more than the field's " +
                    std::to_string(f.width));
    std::memcpy(p, bytes.data(), bytes.size());
}

void RecordEncoder::encodeBytes(const Field& f, const Value& v, unsigned char* p) {
    if (v.kind() != Value::Kind::Bytes)
        wrongKind(f, v);
    const std::string& data = v.toBytes().data;
    if (data.size() > std::size_t(f.width))
        fail(f, "the value has " + std::to_string(data.size()) + " bytes, more than the field's " +
                    std::to_string(f.width));
    std::memcpy(p, data.data(), data.size());
}

void RecordEncoder::encodeBlob(const Field& f, const Value& v, unsigned char* p) {
    const bool memo = f.type == FieldType::Memo;
    if (v.kind() != (memo ? Value::Kind::Text : Value::Kind::Bytes))
        wrongKind(f, v);
    m_blob = memo ? textOf(f, v.toText()) : v.toBytes().data;
    std::size_t copyFrom = 0;
    if (f.type == FieldType::Graphic) {
        // A graphic is stored behind a prefix: a tag and the length of what follows.
        const unsigned char prefix[] = {0x01, 0x00, 0x00, 0x01};
        unsigned char length[4];
        bytes::putLe32(length, std::uint32_t(m_blob.size()));
        m_blob.insert(0, reinterpret_cast<const char*>(length), 4);
        m_blob.insert(0, reinterpret_cast<const char*>(prefix), 4);
        copyFrom = layout::kGraphicPrefix;
    }
    if (m_blob.size() > 0xFFFFFFFFu)
        fail(f, "the value is larger than 4 GB");
    const std::size_t leader = std::size_t(f.width - kBlobTail);
    unsigned char* tail = p + leader;
    bytes::putLe32(tail + 4, std::uint32_t(m_blob.size()));
    if (m_blob.size() <= leader) {
        std::memcpy(p, m_blob.data(), m_blob.size());
        return;
    }
    // The leader keeps a copy of the value's start (for a graphic, after its prefix).
    std::memcpy(p, m_blob.data() + copyFrom, std::min(leader, m_blob.size() - copyFrom));
    bytes::putLe32(tail, m_blobs().store(m_blob));
    bytes::putLe16(tail + 8, BlobWriter::kModification);
}

} // namespace paradox
