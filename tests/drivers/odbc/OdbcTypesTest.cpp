// Column types as FreeTDS reports them from the stand-in's metadata, mapped to ADO numbers,
// and the values that come back.
#include "StandinTestBase.h"

#include "core/AdoTypes.h"

#include <tuple>
#include <vector>

using namespace tabulex;
using namespace tabulex::test;

namespace {

struct TypeCase {
    const char* declared;
    const char* literal;
    int adoType;
    const char* text; // Value::toText() of what comes back
    int precision = 0;
    int scale = 0;
};

void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.declared; }

class ColumnTypes : public StandinTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(ColumnTypes, ReportTheAdoTypeAndReturnTheValueAndNull)
{
    const TypeCase& c = GetParam();
    server().execute(QStringLiteral("CREATE TABLE [t]([v] %1);").arg(c.declared));
    server().execute(
        QStringLiteral("INSERT INTO [t] VALUES(%1)").arg(QString::fromUtf8(c.literal)));
    server().execute(QStringLiteral("INSERT INTO [t] VALUES(NULL)"));

    auto conn = connect();
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM [t]"), *conn);
    ASSERT_EQ(rs.fields().count(), 1);
    const Field& f = rs.fields()[0];
    EXPECT_EQ(f.name, QStringLiteral("v"));
    EXPECT_EQ(f.type, c.adoType);
    ASSERT_FALSE(rs.atEnd());
    EXPECT_EQ(rs.fields()[0].value.toText().toStdString(), c.text);
    if (c.precision) {
        EXPECT_EQ(f.precision, c.precision);
        EXPECT_EQ(f.numericScale, c.scale);
    }
    rs.moveNext();
    ASSERT_FALSE(rs.atEnd());
    EXPECT_TRUE(rs.fields()[0].value.isNull());
    rs.moveNext();
    EXPECT_TRUE(rs.atEnd());
}

INSTANTIATE_TEST_SUITE_P(
    EveryType, ColumnTypes,
    ::testing::Values(
        TypeCase{"INT", "' 42 '", ado::adInteger, "42"},
        TypeCase{"BIGINT", "'-9223372036854775808'", ado::adBigInt, "-9223372036854775808"},
        TypeCase{"SMALLINT", "'-32768'", ado::adSmallInt, "-32768"},
        TypeCase{"TINYINT", "'255'", ado::adUnsignedTinyInt, "255"},
        TypeCase{"BIT", "'TRUE'", ado::adBoolean, "True"},
        TypeCase{"DECIMAL(18,4)", "'-12.34567'", ado::adNumeric, "-12.3457", 18, 4},
        TypeCase{"DECIMAL(38,10)", "'1234567890123456789012345678.0123456789'", ado::adNumeric,
                 "1234567890123456789012345678.0123456789", 38, 10},
        TypeCase{"NUMERIC", "'12.5'", ado::adNumeric, "13", 18, 0},
        TypeCase{"DECIMAL(5,2)", "'-0.5'", ado::adNumeric, "-0.50", 5, 2},
        TypeCase{"MONEY", "'-922337203685477.5808'", ado::adNumeric, "-922337203685477.5808", 19,
                 4},
        TypeCase{"SMALLMONEY", "'1.5'", ado::adNumeric, "1.5000", 10, 4},
        TypeCase{"FLOAT", "'0.1'", ado::adDouble, "0.1"},
        TypeCase{"FLOAT", "'-1.7976931348623157e308'", ado::adDouble, "-1.7976931348623157e+308"},
        TypeCase{"REAL", "'2.25'", ado::adSingle, "2.25"},
        TypeCase{"DATETIME", "'2024-02-29 13:45:30.5'", ado::adDBTimeStamp,
                 "2024-02-29T13:45:30.5"},
        TypeCase{"DATETIME", "'1753-01-01 00:00:00.003'", ado::adDBTimeStamp,
                 "1753-01-01T00:00:00.003"},
        TypeCase{"SMALLDATETIME", "'2079-06-06 23:59'", ado::adDBTimeStamp, "2079-06-06T23:59:00"},
        TypeCase{"DATE", "'0001-01-01'", ado::adDBDate, "0001-01-01"},
        TypeCase{"TIME", "'13:45:30.1234567'", ado::adDBTime, "13:45:30.1234567"},
        TypeCase{"DATETIME2", "'9999-12-31 23:59:59.9999999'", ado::adDBTimeStamp,
                 "9999-12-31T23:59:59.9999999"},
        TypeCase{"DATETIMEOFFSET(0)", "'2024-01-01 02:00:00 +02:00'", ado::adVarWChar,
                 "2024-01-01 02:00:00 +02:00"},
        TypeCase{"UNIQUEIDENTIFIER", "'6f9619ff-8b86-d011-b42d-00c04fc964ff'", ado::adGUID,
                 "6F9619FF-8B86-D011-B42D-00C04FC964FF"},
        TypeCase{"CHAR(5)", "'ab'", ado::adChar, "ab   "},
        TypeCase{"VARCHAR(50)", "'café €'", ado::adVarChar, "café €"},
        TypeCase{"TEXT", "'it''s'", ado::adLongVarChar, "it's"},
        TypeCase{"VARCHAR(MAX)", "'x'", ado::adLongVarChar, "x"},
        TypeCase{"NCHAR(3)", "N'Ж'", ado::adWChar, "Ж  "},
        TypeCase{"NVARCHAR(50)", "N'Ωμέγα'", ado::adVarWChar, "Ωμέγα"},
        TypeCase{"NTEXT", "N'中文'", ado::adLongVarWChar, "中文"},
        TypeCase{"NVARCHAR(MAX)", "N''", ado::adLongVarWChar, ""},
        TypeCase{"BINARY(4)", "0x01", ado::adBinary, "01000000"},
        TypeCase{"VARBINARY(16)", "0x0102FF", ado::adVarBinary, "0102FF"},
        TypeCase{"VARBINARY(MAX)", "0x", ado::adLongVarBinary, ""},
        TypeCase{"IMAGE", "0xCAFE", ado::adLongVarBinary, "CAFE"}));

// NOT NULL columns travel as SQL Server's fixed-length types (no length byte per value).
TEST_F(StandinTest, NotNullColumnsReportTheSameTypesAndValues)
{
    const std::vector<std::tuple<const char*, const char*, int, const char*>> columns = {
        {"TINYINT", "'7'", ado::adUnsignedTinyInt, "7"},
        {"SMALLINT", "'-2'", ado::adSmallInt, "-2"},
        {"INT", "'-2147483648'", ado::adInteger, "-2147483648"},
        {"BIGINT", "'9223372036854775807'", ado::adBigInt, "9223372036854775807"},
        {"BIT", "'false'", ado::adBoolean, "False"},
        {"REAL", "'-0.5'", ado::adSingle, "-0.5"},
        {"FLOAT", "'1e-300'", ado::adDouble, "1e-300"},
        {"MONEY", "'-1.0001'", ado::adNumeric, "-1.0001"},
        {"SMALLMONEY", "'-214748.3648'", ado::adNumeric, "-214748.3648"},
        {"DATETIME", "'1900-01-01'", ado::adDBTimeStamp, "1900-01-01T00:00:00"},
        {"SMALLDATETIME", "'1900-01-01 00:01'", ado::adDBTimeStamp, "1900-01-01T00:01:00"}};
    QStringList definitions, values;
    for (const auto& [type, literal, ado, text] : columns) {
        definitions << QStringLiteral("[c%1] %2 NOT NULL").arg(definitions.size()).arg(type);
        values << QString::fromUtf8(literal);
    }
    server().execute(QStringLiteral("CREATE TABLE [t](%1)").arg(definitions.join(u',')));
    server().execute(QStringLiteral("INSERT INTO [t] VALUES(%1)").arg(values.join(u',')));
    auto conn = connect();
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM [t]"), *conn);
    ASSERT_FALSE(rs.atEnd());
    for (int i = 0; i < int(columns.size()); ++i) {
        EXPECT_EQ(rs.fields()[i].type, std::get<2>(columns[size_t(i)])) << i;
        EXPECT_EQ(rs.fields()[i].value.toText().toStdString(), std::get<3>(columns[size_t(i)]));
    }
    rs.moveNext();
    EXPECT_TRUE(rs.atEnd());
}

TEST_F(StandinTest, ColumnsKeepTheirOrderAndNames)
{
    server().execute(QStringLiteral("CREATE TABLE [Заказы]([名前] NVARCHAR(10), [b c] INT, "
                                    "[d]]e] TEXT);"));
    auto conn = connect();
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM [Заказы]"), *conn);
    QStringList names;
    for (const Field& f : rs.fields())
        names << f.name;
    EXPECT_EQ(names,
              (QStringList{QStringLiteral("名前"), QStringLiteral("b c"), QStringLiteral("d]e")}));
    EXPECT_TRUE(rs.atEnd());
    EXPECT_EQ(rs.fields()[QStringLiteral("B C")].type, ado::adInteger);
}

} // namespace
