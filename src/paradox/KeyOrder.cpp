#include "paradox/KeyOrder.h"

#include "paradox/CodePage.h"
#include "paradox/Error.h"
#include "paradox/RecordDecoder.h"

#include <cstdio>

namespace paradox {

namespace {

// 'ascii' ANSI: text in code page 1252 ordered by its bytes.
constexpr LanguageDriver kByteOrderAnsi{0x4C, "DBWINUS0", 1252};

std::string shown(const Value& v)
{
    char buf[64];
    switch (v.kind()) {
    case Value::Kind::Null:
        return "blank";
    case Value::Kind::Bool:
        return v.toBool() ? "True" : "False";
    case Value::Kind::Int:
        return std::to_string(v.toInt());
    case Value::Kind::Double:
        std::snprintf(buf, sizeof buf, "%.17g", v.toDouble());
        return buf;
    case Value::Kind::Decimal:
        return v.toDecimal().text;
    case Value::Kind::Text:
        return "'" + v.toText() + "'";
    case Value::Kind::Bytes:
        return std::to_string(v.toBytes().data.size()) + " bytes";
    case Value::Kind::Date:
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", v.toDate().year, v.toDate().month,
                      v.toDate().day);
        return buf;
    case Value::Kind::Time:
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", v.toTime().hour, v.toTime().minute,
                      v.toTime().second, v.toTime().millisecond);
        return buf;
    case Value::Kind::Timestamp: {
        const Timestamp& t = v.toTimestamp();
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.date.year,
                      t.date.month, t.date.day, t.time.hour, t.time.minute, t.time.second,
                      t.time.millisecond);
        return buf;
    }
    }
    return {};
}

} // namespace

std::string keyText(const std::vector<Field>& fields, int keyFields, const unsigned char* record,
                    const std::string& encoding)
{
    TableHeader key;
    key.fields.assign(fields.begin(), fields.begin() + keyFields);
    key.encoding = encoding;
    std::vector<Value> values;
    try {
        RecordDecoder(key, {}, []() -> BlobReader& {
            throw Error({}, "no memo in a key");
        }).decode(record, values, 1);
    } catch (const Error&) {
        return {};
    }
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i)
        text += (i > 0 ? ", " : "") + key.fields[i].name + " = " + shown(values[i]);
    return text;
}

void checkKeyFields(const std::string& table, const std::vector<Field>& fields, int keyFields)
{
    if (keyFields < 0 || keyFields > int(fields.size()))
        throw Error(table, "a key of " + std::to_string(keyFields) + " fields in a table of " +
                               std::to_string(fields.size()));
    if (keyFields > kMaxKeyFields)
        throw Error(table, "a Paradox key has at most 16 fields, not " + std::to_string(keyFields));
    for (int i = 0; i < keyFields; ++i)
        if (isBlobType(fields[std::size_t(i)].type))
            throw Error(table, "column " + fields[std::size_t(i)].name + ": a field of type " +
                                   fieldTypeName(fields[std::size_t(i)].type) +
                                   " cannot be part of a key");
}

int keyWidthOf(const std::vector<Field>& fields, int keyFields)
{
    int width = 0;
    for (int i = 0; i < keyFields; ++i)
        width += fields[std::size_t(i)].width;
    return width;
}

const LanguageDriver* writerDriverFor(const std::string& table, int codePage,
                                      const std::vector<Field>& fields, int keyFields)
{
    bool alphaKey = false;
    for (int i = 0; i < keyFields; ++i)
        alphaKey = alphaKey || fields[std::size_t(i)].type == FieldType::Alpha;
    if (!alphaKey)
        return driverForCodePage(codePage);
    if (codePage != kByteOrderAnsi.codePage)
        throw Error(table, "a key with an Alpha field is written in code page 1252 only, not " +
                               std::to_string(codePage));
    return &kByteOrderAnsi;
}

} // namespace paradox
