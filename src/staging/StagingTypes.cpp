#include "staging/StagingTypes.h"

#include "core/DataError.h"
#include "core/DecimalText.h"
#include "paradox/Bcd.h"

#include <QDate>
#include <QRegularExpression>

#include <cmath>

#include <map>
#include <utility>

namespace tabulex::staging {

namespace {

// Paradox keeps the smallest value of its integer fields as the blank marker.
constexpr qint64 kShortMax = 32767;
constexpr qint64 kLongMax = 2147483647;
constexpr int kNanosPerMs = 1000000;
constexpr qint64 kMsPerDay = 86400000;

// The type names a column definition may use, with the store's type each stands for.
constexpr std::pair<const char*, JetType> kTypeNames[] = {
    {"TEXT", JetType::Text},
    {"ALPHA", JetType::Text},
    {"VARCHAR", JetType::Text},
    {"CHAR", JetType::Text},
    {"ALPHANUMERIC", JetType::Text},
    {"STRING", JetType::Text},
    {"NVARCHAR", JetType::Text},
    {"NCHAR", JetType::Text},
    {"MEMO", JetType::Memo},
    {"LONGTEXT", JetType::Memo},
    {"NOTE", JetType::Memo},
    {"NTEXT", JetType::Memo},
    {"LONGCHAR", JetType::Memo},
    {"BYTE", JetType::Byte},
    {"TINYINT", JetType::Byte},
    {"INTEGER1", JetType::Byte},
    {"SHORT", JetType::Short},
    {"SMALLINT", JetType::Short},
    {"INTEGER2", JetType::Short},
    {"LONG", JetType::Long},
    {"INT", JetType::Long},
    {"INTEGER", JetType::Long},
    {"INTEGER4", JetType::Long},
    {"COUNTER", JetType::Counter},
    {"AUTOINCREMENT", JetType::Counter},
    {"SINGLE", JetType::Single},
    {"REAL", JetType::Single},
    {"FLOAT4", JetType::Single},
    {"IEEESINGLE", JetType::Single},
    {"FLOAT", JetType::Double},
    {"DOUBLE", JetType::Double},
    {"FLOAT8", JetType::Double},
    {"NUMBER", JetType::Double},
    {"IEEEDOUBLE", JetType::Double},
    {"DECIMAL", JetType::Decimal},
    {"NUMERIC", JetType::Decimal},
    {"DEC", JetType::Decimal},
    {"CURRENCY", JetType::Currency},
    {"MONEY", JetType::Currency},
    {"BIT", JetType::Bit},
    {"LOGICAL", JetType::Bit},
    {"LOGICAL1", JetType::Bit},
    {"YESNO", JetType::Bit},
    {"BOOLEAN", JetType::Bit},
    {"DATETIME", JetType::DateTime},
    {"DATE", JetType::DateTime},
    {"TIME", JetType::DateTime},
    {"TIMESTAMP", JetType::DateTime},
    {"BINARY", JetType::Binary},
    {"VARBINARY", JetType::Binary},
    {"OLEOBJECT", JetType::LongBinary},
    {"LONGBINARY", JetType::LongBinary},
    {"GENERAL", JetType::LongBinary},
    {"IMAGE", JetType::LongBinary},
    {"GUID", JetType::Guid},
    {"UNIQUEIDENTIFIER", JetType::Guid},
    // SQL Server's names, for types typed in the data type window.
    {"BIGINT", JetType::Double},
    {"SMALLMONEY", JetType::Currency},
    {"SMALLDATETIME", JetType::DateTime},
    {"SQL_VARIANT", JetType::Memo},
    {"XML", JetType::Memo},
};

const std::map<QString, JetType>& typeNames()
{
    static const std::map<QString, JetType> names = [] {
        std::map<QString, JetType> m;
        for (const auto& [name, type] : kTypeNames)
            m.emplace(QString::fromLatin1(name), type);
        return m;
    }();
    return names;
}

[[noreturn]] void refuse(const QString& column, const QString& value, const QString& why)
{
    QString shown = value.size() > 60 ? value.left(57) + QStringLiteral("...") : value;
    throw DataError(QStringLiteral("The value '%1' cannot be stored in the field '%2': %3")
                        .arg(shown, column, why));
}

// The whole number a decimal text stands for, when it is one and fits 64 bits.
std::optional<qint64> wholeNumber(const DecimalParts& p)
{
    if (p.exponent < 0)
        return std::nullopt;
    if (p.digits.size() + p.exponent > 18)
        return std::nullopt;
    qint64 v = p.digits.isEmpty() ? 0 : p.digits.toLongLong();
    for (int i = 0; i < p.exponent; ++i)
        v *= 10;
    return p.negative ? -v : v;
}

double exactNumber(const QString& text, const QString& column)
{
    if (!parseDecimal(text))
        refuse(column, text, QStringLiteral("it is not a number."));
    const auto d = exactDouble(text);
    if (!d)
        refuse(column, text,
               QStringLiteral("a Paradox number field does not hold this number exactly."));
    return *d;
}

qint64 exactInteger(const QString& text, const QString& column, qint64 min, qint64 max)
{
    const auto parts = parseDecimal(text);
    if (!parts)
        refuse(column, text, QStringLiteral("it is not a number."));
    const auto v = wholeNumber(*parts);
    if (!v)
        refuse(column, text,
               parts->exponent < 0 ? QStringLiteral("it is not a whole number.")
                                   : QStringLiteral("the number is out of range."));
    if (*v < min || *v > max)
        refuse(column, text,
               QStringLiteral("the field holds whole numbers from %1 to %2.").arg(min).arg(max));
    return *v;
}

bool toBool(const QString& text, const QString& column)
{
    const QString t = text.trimmed().toLower();
    if (t == u"true" || t == u"yes" || t == u"on")
        return true;
    if (t == u"false" || t == u"no" || t == u"off")
        return false;
    if (const auto parts = parseDecimal(t))
        return !parts->digits.isEmpty();
    refuse(column, text, QStringLiteral("it is not a Boolean value."));
}

// Rounds the time to the nearest millisecond, a Paradox timestamp's finest step. A carry past
// midnight moves the date on where there is one to move; otherwise the time stops at
// 23:59:59.999.
void roundToMilliseconds(Date& d, Time& t, bool dateMoves)
{
    qint64 ms = ((qint64(t.hour) * 60 + t.minute) * 60 + t.second) * 1000 +
                (t.nanos + kNanosPerMs / 2) / kNanosPerMs;
    if (ms >= kMsPerDay) {
        const QDate next = QDate(d.year, d.month, d.day).addDays(1);
        if (dateMoves && next.isValid() && next.year() <= 9999) {
            d = Date{next.year(), next.month(), next.day()};
            ms -= kMsPerDay;
        } else {
            ms = kMsPerDay - 1;
        }
    }
    t = Time{int(ms / 3600000), int(ms / 60000 % 60), int(ms / 1000 % 60),
             int(ms % 1000) * kNanosPerMs};
}

Value toDateTime(const QString& written, const QString& column, bool* rounded)
{
    const QString text = written.trimmed();
    // A time alone lands on Jet's day zero, 1899-12-30.
    Date d{1899, 12, 30};
    Time t;
    int used = parseDate(text, d);
    const bool hasDate = used > 0;
    if (used && used < text.size()) {
        if (text[used] != u'T' && text[used] != u' ')
            used = -1;
        else if (const int n = parseTime(QStringView(text).mid(used + 1), t))
            used += 1 + n;
        else
            used = -1;
    } else if (!used) {
        used = parseTime(text, t);
    }
    if (used <= 0 || used != text.size() || d.year < 1 ||
        !QDate(d.year, d.month, d.day).isValid() || t.hour > 23 || t.minute > 59 || t.second > 59)
        refuse(column, written, QStringLiteral("it is not a valid date or time."));
    if (t.nanos % kNanosPerMs != 0) {
        // A time of day alone has no date to carry into.
        roundToMilliseconds(d, t, hasDate);
        if (rounded)
            *rounded = true;
    }
    return Value(Timestamp{d, t});
}

// A number for a CURRENCY or DECIMAL column: no more decimals than the column keeps, and
// for DECIMAL no more digits before the point than its precision leaves.
double exactDecimal(const QString& text, const ColumnType& type, const QString& column)
{
    const auto parts = parseDecimal(text);
    if (!parts)
        refuse(column, text, QStringLiteral("it is not a number."));
    const int scale = type.type == JetType::Currency ? 4 : type.scale;
    const int fraction = std::max(0, -parts->exponent);
    if (fraction > scale)
        refuse(column, text,
               QStringLiteral("the field keeps %1 digits after the decimal point.").arg(scale));
    if (type.type == JetType::Decimal &&
        int(parts->digits.size()) + parts->exponent > type.precision - type.scale)
        refuse(column, text,
               QStringLiteral("the number has more digits than DECIMAL(%1,%2) holds.")
                   .arg(type.precision)
                   .arg(type.scale));
    return exactNumber(text, column);
}

} // namespace

std::optional<ColumnType> parseColumnType(const QString& text)
{
    static const QRegularExpression re(QStringLiteral(
        "^\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*(?:\\(\\s*(\\d+)\\s*(?:,\\s*(\\d+)\\s*)?\\))?\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const auto it = typeNames().find(m.captured(1).toUpper());
    if (it == typeNames().end())
        return std::nullopt;
    ColumnType t;
    t.type = it->second;
    t.spelled = text.trimmed();
    const bool sized = m.capturedLength(2) > 0;
    switch (t.type) {
    case JetType::Text:
    case JetType::Binary:
        if (sized)
            t.size = m.captured(2).toInt();
        if (t.size < 1 || t.size > 255 || m.capturedLength(3))
            return std::nullopt;
        break;
    case JetType::Decimal:
        if (sized) {
            t.precision = m.captured(2).toInt();
            t.scale = m.capturedLength(3) ? m.captured(3).toInt() : 0;
        }
        if (t.precision < 1 || t.precision > 28 || t.scale > t.precision)
            return std::nullopt;
        break;
    default:
        if (sized && t.type != JetType::Double && t.type != JetType::Memo)
            return std::nullopt;
        break;
    }
    return t;
}

ColumnType requireColumnType(const QString& text, const QString& field)
{
    const auto type = parseColumnType(text);
    if (!type)
        throw DataError(QStringLiteral("Syntax error in field definition: the data type '%1' of "
                                       "the field '%2' is not known.")
                            .arg(text, field));
    return *type;
}

namespace {

// A timestamp of the source as a DateTime column holds it, rounded to whole milliseconds;
// nullopt for one outside its range.
std::optional<Value> timestampFromSource(const Value& v, bool* rounded)
{
    if (v.kind() != Value::Kind::Timestamp)
        return std::nullopt;
    Timestamp ts = v.toTimestamp();
    if (ts.date.year < 1 || ts.date.year > 9999 ||
        !QDate(ts.date.year, ts.date.month, ts.date.day).isValid() || ts.time.hour > 23 ||
        ts.time.minute > 59 || ts.time.second > 59 || ts.time.nanos < 0 ||
        ts.time.nanos >= 1000 * kNanosPerMs)
        return std::nullopt;
    if (ts.time.nanos % kNanosPerMs == 0)
        return v;
    roundToMilliseconds(ts.date, ts.time, true);
    if (rounded)
        *rounded = true;
    return Value(ts);
}

// A whole number of the source in an integer column, refused outside the column's range.
std::optional<Value> integerFromSource(const Value& v, const ColumnType& type,
                                       const QString& column)
{
    if (v.kind() != Value::Kind::Int)
        return std::nullopt;
    const qint64 max = type.type == JetType::Byte    ? 255
                       : type.type == JetType::Short ? kShortMax
                                                     : kLongMax;
    const qint64 min = type.type == JetType::Byte ? 0 : -max;
    if (v.toInt() < min || v.toInt() > max)
        refuse(column, v.toText(),
               QStringLiteral("the field holds whole numbers from %1 to %2.").arg(min).arg(max));
    return Value(std::int64_t(v.toInt()));
}

// The conversions that the source value settles without reading its text: the same result
// as the text, for the kinds and columns where that is plain. nullopt: read the text.
std::optional<Value> fromSource(const Value& v, const ColumnType& type, const QString& column,
                                bool* rounded)
{
    constexpr std::int64_t kExactLimit = std::int64_t(1) << 53;
    switch (type.type) {
    case JetType::Single:
    case JetType::Double:
        // The text is the double's shortest form, which reads back to the same double.
        if (v.kind() == Value::Kind::Double && std::isfinite(v.toDouble()))
            return Value(v.toDouble() == 0 ? 0.0 : v.toDouble());
        if (v.kind() == Value::Kind::Int && v.toInt() >= -kExactLimit && v.toInt() <= kExactLimit)
            return Value(double(v.toInt()));
        if (v.kind() == Value::Kind::Decimal)
            if (const auto d = exactDouble(v.toDecimal().text))
                return Value(*d);
        return std::nullopt;
    case JetType::DateTime:
        return timestampFromSource(v, rounded);
    case JetType::Byte:
    case JetType::Short:
    case JetType::Long:
    case JetType::Counter:
        return integerFromSource(v, type, column);
    case JetType::Bit:
        if (v.kind() == Value::Kind::Bool)
            return Value(v.toBool());
        return std::nullopt;
    case JetType::Memo:
        if (v.kind() == Value::Kind::Text)
            return v;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

// A text as the column reads it.
Value convertText(const QString& text, const ColumnType& type, const QString& column, bool* rounded)
{
    switch (type.type) {
    case JetType::Text:
    case JetType::Guid: {
        const int max = type.type == JetType::Guid ? 38 : type.size;
        qsizetype points = text.size();
        if (points > max)
            for (QChar c : text)
                points -= c.isLowSurrogate() ? 1 : 0;
        if (points > max)
            refuse(column, text, QStringLiteral("the field holds at most %1 characters.").arg(max));
        return Value(text);
    }
    case JetType::Memo:
        return Value(text);
    case JetType::Byte:
        return Value(exactInteger(text, column, 0, 255));
    case JetType::Short:
        return Value(exactInteger(text, column, -kShortMax, kShortMax));
    case JetType::Long:
    case JetType::Counter:
        return Value(exactInteger(text, column, -kLongMax, kLongMax));
    case JetType::Single:
    case JetType::Double:
        return Value(exactNumber(text, column));
    case JetType::Currency:
    case JetType::Decimal:
        return Value(exactDecimal(text, type, column));
    case JetType::Bit:
        return Value(toBool(text, column));
    case JetType::DateTime:
        return toDateTime(text, column, rounded);
    case JetType::Binary:
    case JetType::LongBinary:
        refuse(column, text, QStringLiteral("a binary field takes hexadecimal data (0x...)."));
    }
    return Value(text);
}

// Binary data, which only the binary types take.
Value convertBytes(const QByteArray& bytes, const ColumnType& type, const QString& column)
{
    const auto shown = [&bytes] {
        return QStringLiteral("0x") + QString::fromLatin1(bytes.left(20).toHex().toUpper());
    };
    if (type.type != JetType::Binary && type.type != JetType::LongBinary)
        refuse(column, shown(),
               QStringLiteral("binary data does not fit a %1 field.").arg(type.spelled));
    if (type.type == JetType::Binary && bytes.size() > type.size)
        refuse(column, shown(), QStringLiteral("the field holds at most %1 bytes.").arg(type.size));
    return Value(bytes);
}

} // namespace

ColumnType paradoxColumnType(paradox::FieldType field, int size)
{
    using paradox::FieldType;
    // The Jet type whose values the field holds; sized ones keep the size.
    static const std::map<FieldType, JetType> storage = {
        {FieldType::Alpha, JetType::Text},
        {FieldType::Bytes, JetType::Binary},
        {FieldType::Memo, JetType::Memo},
        {FieldType::Short, JetType::Short},
        {FieldType::Long, JetType::Long},
        {FieldType::AutoIncrement, JetType::Counter},
        {FieldType::Money, JetType::Currency},
        {FieldType::Number, JetType::Double},
        {FieldType::Bcd, JetType::Decimal},
        {FieldType::Logical, JetType::Bit},
        {FieldType::Date, JetType::DateTime},
        {FieldType::Time, JetType::DateTime},
        {FieldType::Timestamp, JetType::DateTime},
        {FieldType::Blob, JetType::LongBinary},
        {FieldType::FormattedMemo, JetType::LongBinary},
        {FieldType::Ole, JetType::LongBinary},
        {FieldType::Graphic, JetType::LongBinary},
    };
    ColumnType t;
    t.type = storage.at(field);
    t.paradoxType = field;
    t.paradoxSize = size;
    t.spelled = QString::fromLatin1(paradox::fieldTypeName(field));
    if (field == FieldType::Alpha || field == FieldType::Bytes)
        t.size = size;
    if (field == FieldType::Bcd) {
        t.precision = paradox::bcd::kDigits;
        t.scale = size;
    }
    return t;
}

namespace {

// A BCD field's value: exact decimal text with no more decimals than its scale and no more
// digits than its 32.
Value bcdValue(const Value& v, const ColumnType& type, const QString& column)
{
    const QString text = v.kind() == Value::Kind::Decimal ? v.toDecimal().text
                         : v.kind() == Value::Kind::Text  ? v.toString().trimmed()
                                                          : v.toText();
    const auto parts = parseDecimal(text);
    if (!parts)
        refuse(column, text, QStringLiteral("it is not a number."));
    if (std::max(0, -parts->exponent) > type.scale)
        refuse(
            column, text,
            QStringLiteral("the field keeps %1 digits after the decimal point.").arg(type.scale));
    if (int(parts->digits.size()) + parts->exponent > type.precision - type.scale)
        refuse(column, text,
               QStringLiteral("the number has more digits than the BCD field holds."));
    return Value(Decimal{text});
}

} // namespace

Value convertValue(const Value& v, const ColumnType& type, const QString& column, bool* rounded)
{
    if (v.isNull())
        return {};
    if (type.paradoxType == paradox::FieldType::Bcd && v.kind() != Value::Kind::Bytes)
        return bcdValue(v, type, column);
    if (v.kind() == Value::Kind::Bytes)
        return convertBytes(v.toBytes(), type, column);
    if (auto stored = fromSource(v, type, column, rounded))
        return *stored;
    return convertText(v.kind() == Value::Kind::Text ? v.toString() : v.toText(), type, column,
                       rounded);
}

} // namespace tabulex::staging
