#include "transfer/TypeMapping.h"

#include "core/AdoTypes.h"
#include "data/Recordset.h"
#include "core/AdoTypeName.h"

#include <utility>

namespace tabulex {

namespace {

using Rule = std::pair<const char*, const char*>;

template <size_t N>
QString firstMatch(const QString& key, const Rule (&rules)[N], const char* fallback)
{
    for (const Rule& r : rules)
        if (key.contains(QLatin1String(r.first)))
            return QString::fromLatin1(r.second);
    return QString::fromLatin1(fallback);
}

bool isCharacter(int type)
{
    return AdoTypeName(std::int16_t(type)).toLower().contains(QLatin1String("char"));
}

bool isBinary(int type)
{
    return type == ado::adBinary || type == ado::adVarBinary || type == ado::adLongVarBinary;
}

bool isLongText(const Field& f)
{
    return f.Type == ado::adLongVarChar || f.Type == ado::adLongVarWChar || f.DefinedSize > 255;
}

bool isWideInteger(int type)
{
    return type == ado::adBigInt || type == ado::adUnsignedInt || type == ado::adUnsignedBigInt;
}

bool isExactNumeric(int type)
{
    return type == ado::adNumeric || type == ado::adVarNumeric || type == ado::adDecimal;
}

QString decimalType(const Field& f)
{
    const int precision = f.Precision > 0 ? std::min(f.Precision, 38) : 18;
    const int scale = std::clamp(f.NumericScale, 0, precision);
    return QStringLiteral("DECIMAL(%1,%2)").arg(precision).arg(scale);
}

ColumnPlan towardsParadox(const Field& f)
{
    if (isCharacter(f.Type))
        return {isLongText(f) ? QStringLiteral("MEMO") : QStringLiteral("TEXT"),
                LiteralStyle::Quoted};
    if (isBinary(f.Type))
        return {QStringLiteral("OLEOBJECT"), LiteralStyle::Hex};
    if (f.Type == ado::adBoolean)
        return {QStringLiteral("BIT"), LiteralStyle::BooleanDigits};
    // A Paradox Long Integer holds 32 bits and no fraction; a Number holds these exactly
    // up to 2^53, and the staging store refuses what it cannot hold.
    const bool wideNumeric =
        (f.Type == ado::adNumeric || f.Type == ado::adVarNumeric) &&
        (f.NumericScale > 0 || f.Precision > 9);
    if (f.Type == ado::adSingle || f.Type == ado::adDecimal || wideNumeric ||
        isWideInteger(f.Type))
        return {QStringLiteral("FLOAT"), LiteralStyle::Quoted};
    return {ParadoxColumnType(AdoTypeName(std::int16_t(f.Type)).toLower()), LiteralStyle::Quoted};
}

ColumnPlan towardsSqlServer(const Field& f)
{
    if (isCharacter(f.Type))
        return {QStringLiteral("NTEXT"), LiteralStyle::UnicodeQuoted};
    if (isBinary(f.Type))
        return {QStringLiteral("VARBINARY(MAX)"), LiteralStyle::Hex};
    if (f.Type == ado::adSingle)
        return {QStringLiteral("FLOAT"), LiteralStyle::Quoted};
    // Exact decimals keep their digits; a double reported with a precision is one (BCD).
    if (isExactNumeric(f.Type) || (f.Type == ado::adDouble && f.Precision > 0))
        return {decimalType(f), LiteralStyle::Quoted};
    if (f.Type == ado::adUnsignedBigInt)
        return {QStringLiteral("DECIMAL(20,0)"), LiteralStyle::Quoted};
    if (isWideInteger(f.Type))
        return {QStringLiteral("BIGINT"), LiteralStyle::Quoted};
    return {SqlServerColumnType(AdoTypeName(std::int16_t(f.Type)).toLower()),
            LiteralStyle::Quoted};
}

} // namespace

QString ParadoxColumnType(const QString& key)
{
    static const Rule rules[] = {
        {"char", "TEXT"},  {"currency", "CURRENCY"},      {"bool", "BIT"},
        {"decimal", "DECIMAL"}, {"single", "INT"},        {"int", "INT"},
        {"adlongvarbinary", "OLEOBJECT"}, {"numeric", "INT"}, {"date", "DATETIME"},
        {"timestamp", "DATETIME"}, {"double", "FLOAT"},
    };
    return firstMatch(key, rules, "VARCHAR");
}

QString SqlServerColumnType(const QString& key)
{
    static const Rule rules[] = {
        {"char", "TEXT"}, {"decimal", "DECIMAL"}, {"single", "INT"},
        {"int", "INT"},   {"adlongvarbinary", "BLOB"}, {"numeric", "INT"},
        {"date", "TEXT"}, {"timestamp", "TEXT"},  {"double", "FLOAT"},
    };
    return firstMatch(key, rules, "TEXT");
}

ColumnPlan defaultColumnPlan(const Field& field, Direction direction)
{
    ColumnPlan p = direction == Direction::ToParadox ? towardsParadox(field)
                                                     : towardsSqlServer(field);
    if (direction == Direction::ToSqlServer)
        p.guard = silentChangesOf(p.type);
    return p;
}

ColumnPlan chosenColumnPlan(const Field& field, const QString& columnType, Direction direction)
{
    return {columnType, literalStyleFor(field, columnType, direction),
            direction == Direction::ToSqlServer ? silentChangesOf(columnType) : SilentChanges{}};
}

LiteralStyle literalStyleFor(const Field& field, const QString& columnType, Direction direction)
{
    const QString t = columnType.toUpper();
    if (isBinary(field.Type) && (t.contains(QLatin1String("BINARY")) ||
                                 t.contains(QLatin1String("IMAGE")) ||
                                 t.contains(QLatin1String("OLEOBJECT")) ||
                                 t.contains(QLatin1String("GENERAL"))))
        return LiteralStyle::Hex;
    if (field.Type == ado::adBoolean && direction == Direction::ToParadox)
        return LiteralStyle::BooleanDigits;
    if (isCharacter(field.Type) && direction == Direction::ToSqlServer)
        return LiteralStyle::UnicodeQuoted;
    return LiteralStyle::Quoted;
}

} // namespace tabulex
