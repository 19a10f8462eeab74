#include "customize/TypeProposals.h"

#include "core/AdoTypeName.h"
#include "core/AdoTypes.h"
#include "core/SqlQuoting.h"
#include "data/Connection.h"
#include "data/Recordset.h"

#include <algorithm>
#include <initializer_list>

namespace tabulex {

namespace {

bool isOneOf(const QString& name, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (name == QLatin1String(n))
            return true;
    return false;
}

bool isBinaryType(const QString& t)
{
    return isOneOf(t, {"adBinary", "adVarBinary", "adLongVarBinary"});
}

} // namespace

QString paradoxTypeProposal(const QString& t)
{
    if (isOneOf(
            t, {"adLongVarWChar", "adLongVarChar", "adVarChar", "adChar", "adVarWChar", "adWChar"}))
        return QStringLiteral("MEMO");
    if (t == QLatin1String("adBoolean"))
        return QStringLiteral("LOGICAL");
    if (t == QLatin1String("adCurrency"))
        return QStringLiteral("MONEY");
    // A Long Integer holds 32 bits; a Number holds wider integers exactly up to 2^53.
    if (isOneOf(t, {"adSingle", "adNumeric", "adDouble", "adDecimal", "adUnsignedBigInt",
                    "adBigInt", "adUnsignedInt"}))
        return QStringLiteral("NUMBER");
    if (isOneOf(t, {"adUnsignedSmallInt", "adSmallInt"}))
        return QStringLiteral("SHORT");
    if (isOneOf(t, {"adUnsignedTinyInt", "adTinyInt", "adInteger"}))
        return QStringLiteral("LONG");
    if (isOneOf(t, {"adDBDate", "adDate", "adDBTime", "adDBTimeStamp", "adFileTime"}))
        return QStringLiteral("TIMESTAMP");
    // Byte data goes into a binary field, which alone takes it.
    if (isBinaryType(t))
        return QStringLiteral("OLEOBJECT");
    return QStringLiteral("MEMO");
}

namespace {

// DECIMAL with the field's own precision and scale.
QString decimalProposal(const Field& f)
{
    const int precision = f.precision > 0 ? std::min(f.precision, 38) : 18;
    return QStringLiteral("DECIMAL(%1,%2)")
        .arg(precision)
        .arg(std::clamp(f.numericScale, 0, precision));
}

// The proposal for SQL Server, or an empty text where the sample rule decides. Each holds
// every value of its field: numbers with decimals never go into NUMERIC(18,0), dates and
// times keep their days and milliseconds, byte data goes into a binary column.
} // namespace

QString sqlServerTypeProposal(const Field& f)
{
    const QString t = adoTypeName(std::int16_t(f.type));
    if (isOneOf(t, {"adLongVarWChar", "adLongVarChar"}))
        return QStringLiteral("TEXT");
    if (isOneOf(t, {"adVarChar", "adChar", "adVarWChar", "adWChar"}))
        return {};
    if (t == QLatin1String("adBoolean"))
        return QStringLiteral("BIT");
    // A BCD field is a double with a precision.
    if (isOneOf(t, {"adNumeric", "adDecimal"}) ||
        (t == QLatin1String("adDouble") && f.precision > 0))
        return decimalProposal(f);
    if (isOneOf(t, {"adCurrency", "adSingle", "adDouble"}))
        return QStringLiteral("FLOAT");
    if (isOneOf(t, {"adUnsignedSmallInt", "adSmallInt"}))
        return QStringLiteral("SMALLINT");
    if (isOneOf(t, {"adUnsignedTinyInt", "adTinyInt"}))
        return QStringLiteral("TINYINT");
    if (isOneOf(t, {"adUnsignedBigInt", "adBigInt"}))
        return QStringLiteral("BIGINT");
    if (isOneOf(t, {"adUnsignedInt", "adInteger"}))
        return QStringLiteral("INT");
    if (isOneOf(t, {"adDBDate", "adDate"}))
        return QStringLiteral("DATE");
    if (t == QLatin1String("adDBTime"))
        return QStringLiteral("TIME(3)");
    if (isOneOf(t, {"adDBTimeStamp", "adFileTime"}))
        return QStringLiteral("DATETIME2(3)");
    if (t == QLatin1String("adLongVarBinary"))
        return QStringLiteral("VARBINARY(MAX)");
    if (isBinaryType(t))
        return f.definedSize > 0 && f.definedSize <= 8000
                   ? QStringLiteral("VARBINARY(%1)").arg(f.definedSize)
                   : QStringLiteral("VARBINARY(MAX)");
    return {};
}

namespace {

// The first row of a table, with the derivation's cursor, and its fields in order.
template <typename Each>
void firstRow(const QString& connectionString, const QString& statement, Each each)
{
    Connection c;
    c.cursorLocation = ado::adUseClient;
    c.open(connectionString);
    Recordset rs;
    rs.open(statement, c, ado::adOpenStatic, ado::adLockOptimistic);
    for (const Field& f : rs.fields())
        each(f, rs.atEnd());
    if (rs.state() != ado::adStateClosed)
        rs.close();
    if (c.state() != ado::adStateClosed)
        c.close();
}

} // namespace

void deriveParadoxTypes(const QString& sqlConnectionString, const QString& table,
                        QStringList& names, QStringList& types)
{
    firstRow(sqlConnectionString, QStringLiteral("SELECT top 1 * FROM ") + bracketName(table),
             [&](const Field& f, bool) {
                 names << f.name;
                 types << paradoxTypeProposal(adoTypeName(std::int16_t(f.type)));
             });
}

QString sampleRuleType(bool atEnd, const Value& value, qint64 fieldSize)
{
    if (atEnd || value.isNull())
        return QStringLiteral("VARCHAR(255)");
    // Byte data has no text of its own: its length is its number of bytes.
    const qsizetype length =
        value.kind() == Value::Kind::Bytes ? value.toBytes().size() : value.toText().size();
    if (length == 0)
        return QStringLiteral("VARCHAR(255)");
    if (length > 255)
        return QStringLiteral("TEXT");
    // Later rows may be as long as the field holds.
    return QStringLiteral("VARCHAR(%1)")
        .arg(std::max<qint64>(length, std::min<qint64>(fieldSize, 255)));
}

void deriveSqlServerTypes(const QString& paradoxConnectionString, const QString& table,
                          QStringList& names, QStringList& types)
{
    QString quoted = table;
    quoted.replace(u'"', QLatin1String("\"\""));
    firstRow(paradoxConnectionString, QStringLiteral("SELECT top 1 * FROM \"") + quoted + u'"',
             [&](const Field& f, bool atEnd) {
                 names << f.name;
                 const QString proposal = sqlServerTypeProposal(f);
                 types << (proposal.isEmpty() ? sampleRuleType(atEnd, f.value, f.definedSize)
                                              : proposal);
             });
}

} // namespace tabulex
