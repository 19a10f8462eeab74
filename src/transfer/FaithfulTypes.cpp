#include "transfer/FaithfulTypes.h"

#include "core/AdoTypes.h"
#include "data/Recordset.h"

#include <QRegularExpression>

namespace tabulex {

namespace {

using paradox::FieldDefinition;
using paradox::FieldType;

constexpr int kMaxAlpha = 255;
constexpr int kMaxBcdDigits = 32;
constexpr int kMemoSize = 11; // the record part of a Memo the default mapping writes
constexpr int kBlobSize = 10;

ColumnPlan plan(const QString& type, LiteralStyle style = LiteralStyle::Quoted)
{
    ColumnPlan p;
    p.type = type;
    p.style = style;
    p.guard = silentChangesOf(type);
    return p;
}

// The Paradox types with the words that stand for them; sized ones take "(n)".
struct Word {
    FieldType type;
    const char* word;
};
constexpr Word kWords[] = {
    {FieldType::Alpha, "ALPHA"},
    {FieldType::Date, "DATE"},
    {FieldType::Short, "SHORT"},
    {FieldType::Long, "LONG"},
    {FieldType::Money, "MONEY"},
    {FieldType::Number, "NUMBER"},
    {FieldType::Logical, "LOGICAL"},
    {FieldType::Memo, "MEMO"},
    {FieldType::Blob, "BLOB"},
    {FieldType::FormattedMemo, "FMTMEMO"},
    {FieldType::Ole, "OLE"},
    {FieldType::Graphic, "GRAPHIC"},
    {FieldType::Time, "TIME"},
    {FieldType::Timestamp, "TIMESTAMP"},
    {FieldType::AutoIncrement, "AUTOINCREMENT"},
    {FieldType::Bcd, "BCD"},
    {FieldType::Bytes, "BYTES"},
};

bool sized(FieldType t)
{
    return t == FieldType::Alpha || t == FieldType::Bytes || t == FieldType::Bcd ||
           paradox::isBlobType(t);
}

FieldDefinition field(FieldType type, int size = 0) { return {{}, type, size}; }

} // namespace

std::optional<FieldType> paradoxTypeOf(const Field& f)
{
    if (f.typeName.isEmpty())
        return std::nullopt;
    for (const Word& w : kWords)
        if (f.typeName == QLatin1String(paradox::fieldTypeName(w.type)))
            return w.type;
    return std::nullopt;
}

ColumnPlan faithfulSqlServerPlan(const Field& f)
{
    const auto type = paradoxTypeOf(f);
    if (!type)
        return defaultColumnPlan(f, Direction::ToSqlServer);
    switch (*type) {
    case FieldType::Alpha:
        return plan(QStringLiteral("NVARCHAR(%1)").arg(f.nativeSize), LiteralStyle::UnicodeQuoted);
    case FieldType::Memo:
        return plan(QStringLiteral("NVARCHAR(MAX)"), LiteralStyle::UnicodeQuoted);
    case FieldType::Short:
        return plan(QStringLiteral("SMALLINT"));
    case FieldType::Long:
    case FieldType::AutoIncrement:
        return plan(QStringLiteral("INT"));
    case FieldType::Number:
        return plan(QStringLiteral("FLOAT"));
    case FieldType::Money: {
        // A Paradox Money value is a double: more than four decimals are rounded, and counted.
        ColumnPlan money = plan(QStringLiteral("MONEY"));
        money.roundedDecimals = 4;
        return money;
    }
    case FieldType::Bcd:
        return plan(QStringLiteral("DECIMAL(%1,%2)").arg(kMaxBcdDigits).arg(f.nativeSize));
    case FieldType::Date:
        return plan(QStringLiteral("DATE"));
    case FieldType::Time:
        return plan(QStringLiteral("TIME(3)"));
    case FieldType::Timestamp:
        return plan(QStringLiteral("DATETIME2(3)"));
    case FieldType::Logical:
        return plan(QStringLiteral("BIT"), LiteralStyle::BooleanDigits);
    case FieldType::Bytes:
        // Exactly n bytes, as a Bytes field holds them.
        return plan(QStringLiteral("BINARY(%1)").arg(f.nativeSize), LiteralStyle::Hex);
    case FieldType::FormattedMemo:
    case FieldType::Blob:
    case FieldType::Ole:
    case FieldType::Graphic:
        return plan(QStringLiteral("VARBINARY(MAX)"), LiteralStyle::Hex);
    }
    return defaultColumnPlan(f, Direction::ToSqlServer);
}

std::optional<FieldDefinition> faithfulParadoxField(const Field& f)
{
    const QString t = f.typeName.toLower();
    const qint64 size = f.definedSize; // 0 for (MAX)
    if (t == QLatin1String("smallint") || t == QLatin1String("tinyint"))
        return field(FieldType::Short);
    if (t == QLatin1String("int"))
        return field(f.autoIncrement ? FieldType::AutoIncrement : FieldType::Long);
    if (t == QLatin1String("bit"))
        return field(FieldType::Logical);
    if (t == QLatin1String("money") || t == QLatin1String("smallmoney"))
        return field(FieldType::Money);
    if ((t == QLatin1String("decimal") || t == QLatin1String("numeric")) &&
        f.precision <= kMaxBcdDigits)
        return field(FieldType::Bcd, f.numericScale);
    if (t == QLatin1String("date"))
        return field(FieldType::Date);
    if (t == QLatin1String("time"))
        return field(FieldType::Time);
    if (t == QLatin1String("datetime") || t == QLatin1String("datetime2") ||
        t == QLatin1String("smalldatetime"))
        return field(FieldType::Timestamp);
    if (t == QLatin1String("float") || t == QLatin1String("real"))
        return field(FieldType::Number);
    static const QRegularExpression text(QStringLiteral("^n?(var)?char$"));
    if (text.match(t).hasMatch())
        return size > 0 && size <= kMaxAlpha ? field(FieldType::Alpha, int(size))
                                             : field(FieldType::Memo, kMemoSize);
    if (t == QLatin1String("text") || t == QLatin1String("ntext"))
        return field(FieldType::Memo, kMemoSize);
    if (t == QLatin1String("binary") && size > 0 && size <= kMaxAlpha)
        return field(FieldType::Bytes, int(size));
    if (t == QLatin1String("binary") || t == QLatin1String("varbinary") ||
        t == QLatin1String("image"))
        return field(FieldType::Blob, kBlobSize);
    return std::nullopt;
}

const QLatin1String kParadoxTypeProperty("Tabulex.ParadoxType");

QString paradoxFieldRecord(const Field& f)
{
    const auto type = paradoxTypeOf(f);
    if (!type || (!paradox::isBlobType(*type) && *type != FieldType::AutoIncrement))
        return {};
    return QLatin1String(paradox::fieldTypeLetter(*type)) + QString::number(f.nativeSize);
}

std::optional<FieldDefinition> recordedParadoxField(const Field& column, const QString& record)
{
    const auto base = faithfulParadoxField(column);
    if (!base || record.size() < 2)
        return std::nullopt;
    bool number = false;
    const int size = record.mid(1).toInt(&number);
    if (!number || !record.at(1).isDigit())
        return std::nullopt;
    for (const Word& w : kWords) {
        if (record.at(0) != QLatin1Char(paradox::fieldTypeLetter(w.type)[0]))
            continue;
        // The column must hold the field's values as the faithful mapping sends them.
        bool holds = false;
        switch (w.type) {
        case FieldType::Memo:
            holds = base->type == FieldType::Memo;
            break;
        case FieldType::Blob:
        case FieldType::FormattedMemo:
        case FieldType::Ole:
        case FieldType::Graphic:
            holds = base->type == FieldType::Blob;
            break;
        case FieldType::AutoIncrement:
            holds = base->type == FieldType::Long || base->type == FieldType::AutoIncrement;
            break;
        default:
            break;
        }
        FieldDefinition d = field(w.type, w.type == FieldType::AutoIncrement ? 4 : size);
        if (!holds || !paradox::recordWidthOf(d))
            return std::nullopt;
        return d;
    }
    return std::nullopt;
}

QString paradoxTypeWord(const FieldDefinition& d)
{
    for (const Word& w : kWords) {
        if (w.type != d.type)
            continue;
        if (d.type == FieldType::Bcd)
            return QStringLiteral("BCD(%1,%2)").arg(kMaxBcdDigits).arg(d.size);
        return sized(d.type) ? QStringLiteral("%1(%2)").arg(QLatin1String(w.word)).arg(d.size)
                             : QString::fromLatin1(w.word);
    }
    return {};
}

std::optional<FieldDefinition> paradoxFieldOfWord(const QString& word)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*([A-Za-z]+)\\s*(?:\\(\\s*(\\d+)\\s*(?:,\\s*(\\d+)\\s*)?\\))?\\s*$"));
    const auto m = form.match(word);
    if (!m.hasMatch())
        return std::nullopt;
    const QString name = m.captured(1).toUpper();
    for (const Word& w : kWords) {
        if (name != QLatin1String(w.word))
            continue;
        if (!sized(w.type))
            return m.captured(2).isEmpty() ? std::optional(field(w.type)) : std::nullopt;
        if (m.captured(2).isEmpty())
            return std::nullopt;
        // BCD(p,s): the scale is the field's size; Paradox keeps 32 digits whatever p is.
        const int size = w.type == FieldType::Bcd && !m.captured(3).isEmpty()
                             ? m.captured(3).toInt()
                             : m.captured(2).toInt();
        FieldDefinition d = field(w.type, size);
        if (!paradox::recordWidthOf(d))
            return std::nullopt;
        return d;
    }
    return std::nullopt;
}

} // namespace tabulex
