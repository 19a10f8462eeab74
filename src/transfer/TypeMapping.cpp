#include "transfer/TypeMapping.h"

#include "core/AdoTypeName.h"
#include "core/AdoTypes.h"
#include "data/Recordset.h"

#include <utility>

namespace tabulex {

namespace {

using Rule = std::pair<const char*, const char*>;
using staging::JetType;

// A rule towards Paradox names the staging store's type of its word as well.
struct ParadoxRule {
    const char* key;
    const char* word;
    JetType type;
};

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
    return adoTypeName(std::int16_t(type)).toLower().contains(QLatin1String("char"));
}

bool isBinary(int type)
{
    return type == ado::adBinary || type == ado::adVarBinary || type == ado::adLongVarBinary;
}

bool isLongText(const Field& f)
{
    return f.type == ado::adLongVarChar || f.type == ado::adLongVarWChar || f.definedSize > 255;
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
    const int precision = f.precision > 0 ? std::min(f.precision, 38) : 18;
    const int scale = std::clamp(f.numericScale, 0, precision);
    return QStringLiteral("DECIMAL(%1,%2)").arg(precision).arg(scale);
}

const ParadoxRule& paradoxRule(const QString& key)
{
    static const ParadoxRule rules[] = {
        {"char", "TEXT", JetType::Text},
        {"currency", "CURRENCY", JetType::Currency},
        {"bool", "BIT", JetType::Bit},
        {"decimal", "DECIMAL", JetType::Decimal},
        {"single", "INT", JetType::Long},
        {"int", "INT", JetType::Long},
        {"adlongvarbinary", "OLEOBJECT", JetType::LongBinary},
        {"numeric", "INT", JetType::Long},
        {"date", "DATETIME", JetType::DateTime},
        {"timestamp", "DATETIME", JetType::DateTime},
        {"double", "FLOAT", JetType::Double},
    };
    static const ParadoxRule fallback = {"", "VARCHAR", JetType::Text};
    for (const ParadoxRule& r : rules)
        if (key.contains(QLatin1String(r.key)))
            return r;
    return fallback;
}

// A plan towards Paradox: the type word and the store's type it stands for, with the
// defaults of a bare word (TEXT 255, DECIMAL(18,0)).
ColumnPlan paradoxPlan(const char* word, JetType type, LiteralStyle style)
{
    ColumnPlan p;
    p.type = QString::fromLatin1(word);
    p.style = style;
    p.stagingType = staging::ColumnType{type, 255, 18, 0, p.type};
    return p;
}

ColumnPlan towardsParadox(const Field& f)
{
    if (isCharacter(f.type) && isLongText(f)) {
        ColumnPlan memo = paradoxPlan("MEMO", JetType::Memo, LiteralStyle::Quoted);
        memo.stagingType->alphaWhenValuesFit = true;
        return memo;
    }
    if (isCharacter(f.type))
        return paradoxPlan("TEXT", JetType::Text, LiteralStyle::Quoted);
    if (isBinary(f.type))
        return paradoxPlan("OLEOBJECT", JetType::LongBinary, LiteralStyle::Hex);
    if (f.type == ado::adBoolean)
        return paradoxPlan("BIT", JetType::Bit, LiteralStyle::BooleanDigits);
    // A Paradox Long Integer holds 32 bits and no fraction; a Number holds these exactly
    // up to 2^53, and the staging store refuses what it cannot hold.
    const bool wideNumeric = (f.type == ado::adNumeric || f.type == ado::adVarNumeric) &&
                             (f.numericScale > 0 || f.precision > 9);
    if (f.type == ado::adSingle || f.type == ado::adDecimal || wideNumeric || isWideInteger(f.type))
        return paradoxPlan("FLOAT", JetType::Double, LiteralStyle::Quoted);
    const ParadoxRule& rule = paradoxRule(adoTypeName(std::int16_t(f.type)).toLower());
    return paradoxPlan(rule.word, rule.type, LiteralStyle::Quoted);
}

ColumnPlan towardsSqlServer(const Field& f)
{
    if (isCharacter(f.type))
        return {QStringLiteral("NTEXT"), LiteralStyle::UnicodeQuoted};
    if (isBinary(f.type))
        return {QStringLiteral("VARBINARY(MAX)"), LiteralStyle::Hex};
    if (f.type == ado::adSingle)
        return {QStringLiteral("FLOAT"), LiteralStyle::Quoted};
    // Exact decimals keep their digits; a double reported with a precision is one (BCD).
    if (isExactNumeric(f.type) || (f.type == ado::adDouble && f.precision > 0))
        return {decimalType(f), LiteralStyle::Quoted};
    if (f.type == ado::adUnsignedBigInt)
        return {QStringLiteral("DECIMAL(20,0)"), LiteralStyle::Quoted};
    if (isWideInteger(f.type))
        return {QStringLiteral("BIGINT"), LiteralStyle::Quoted};
    return {sqlServerColumnType(adoTypeName(std::int16_t(f.type)).toLower()), LiteralStyle::Quoted};
}

} // namespace

QString paradoxColumnType(const QString& key) { return QString::fromLatin1(paradoxRule(key).word); }

QString sqlServerColumnType(const QString& key)
{
    static const Rule rules[] = {
        {"char", "TEXT"}, {"decimal", "DECIMAL"},      {"single", "INT"},
        {"int", "INT"},   {"adlongvarbinary", "BLOB"}, {"numeric", "INT"},
        {"date", "TEXT"}, {"timestamp", "TEXT"},       {"double", "FLOAT"},
    };
    return firstMatch(key, rules, "TEXT");
}

ColumnPlan defaultColumnPlan(const Field& field, Direction direction)
{
    ColumnPlan p =
        direction == Direction::ToParadox ? towardsParadox(field) : towardsSqlServer(field);
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
    if (isBinary(field.type) &&
        (t.contains(QLatin1String("BINARY")) || t.contains(QLatin1String("IMAGE")) ||
         t.contains(QLatin1String("OLEOBJECT")) || t.contains(QLatin1String("GENERAL"))))
        return LiteralStyle::Hex;
    if (field.type == ado::adBoolean && direction == Direction::ToParadox)
        return LiteralStyle::BooleanDigits;
    if (isCharacter(field.type) && direction == Direction::ToSqlServer)
        return LiteralStyle::UnicodeQuoted;
    return LiteralStyle::Quoted;
}

} // namespace tabulex
