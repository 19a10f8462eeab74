#include "transfer/Statements.h"
#include "core/DataError.h"
#include "data/Connection.h"
#include "data/Recordset.h"
#include "tables/SqlRunMark.h"
#include "transfer/SqlTableSwap.h"

#include <gtest/gtest.h>

using namespace tabulex;

namespace {

Field field(const char* name, int type, Value v)
{
    return Field{QString::fromUtf8(name), type, std::move(v), 0, 0, 0};
}

std::vector<ColumnPlan> plans(std::initializer_list<ColumnPlan> l) { return l; }

} // namespace

TEST(Statements, CreateTableAppendsOneDefinitionPerField)
{
    const Fields fields({field("ID", 3, {}), field("Name", 202, {}), field("a]b", 5, {})});
    EXPECT_EQ(
        completeCreateTable("CREATE TABLE [T](", fields, plans({{"INT"}, {"NTEXT"}, {"FLOAT"}})),
        "CREATE TABLE [T]([ID] INT,[Name] NTEXT,[a]]b] FLOAT);");
}

TEST(Statements, InsertWritesEachValueInItsColumnsStyle)
{
    const Fields row(
        {field("n", 3, Value(7)), field("null", 202, Value()), field("text", 202, Value("it's")),
         field("empty", 202, Value(QString())), field("flag", 11, Value(true)),
         field("bytes", 205, Value(QByteArray("\x0a\xff", 2))), field("word", 202, Value("True"))});
    EXPECT_EQ(
        buildInsertStatement(
            "T", row, plans({{"INT"}, {"TEXT"}, {"TEXT"}, {"TEXT"}, {"TEXT"}, {"BLOB"}, {"TEXT"}})),
        "INSERT INTO [T] VALUES('7', NULL, 'it''s', NULL, 'True', '0AFF', 'True')");
    // Towards Paradox Booleans become digits, only in Boolean fields; bytes go as hex.
    EXPECT_EQ(buildInsertStatement("T]x", row,
                                   plans({{"INT"},
                                          {"TEXT"},
                                          {"TEXT", LiteralStyle::UnicodeQuoted},
                                          {"TEXT"},
                                          {"BIT", LiteralStyle::BooleanDigits},
                                          {"OLEOBJECT", LiteralStyle::Hex},
                                          {"TEXT"}})),
              "INSERT INTO [T]]x] VALUES('7', NULL, N'it''s', NULL, 1, 0x0AFF, 'True')");
}

TEST(Statements, FloatColumnsRefuseValuesTheyWouldRound)
{
    const auto check = [](Value v) {
        verifyValuesFit(Fields({field("amount", 5, std::move(v))}),
                        plans({{"FLOAT", LiteralStyle::Quoted, silentChangesOf("FLOAT")}}));
    };
    EXPECT_NO_THROW(check(Value(Decimal{"12.3456"})));
    EXPECT_NO_THROW(check(Value(0.1)));
    EXPECT_NO_THROW(check(Value(std::int64_t(1) << 53)));
    EXPECT_THROW(check(Value(Decimal{"12345678901234567890.12"})), DataError);
    EXPECT_THROW(check(Value((std::int64_t(1) << 53) + 1)), DataError);
    EXPECT_NO_THROW(
        verifyValuesFit(Fields({field("x", 131, Value(Decimal{"1.23456789012345678"}))}),
                        plans({{"DECIMAL(19,17)"}})));
    // Only plans that ask for the check are checked: the staging store checks its own.
    EXPECT_NO_THROW(verifyValuesFit(
        Fields({field("x", 131, Value(Decimal{"1.23456789012345678"}))}), plans({{"FLOAT"}})));
}

TEST(Statements, CollapseBackslashesOnSlashes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/data/paradox", "/data/paradox"},
        {"/data//paradox/", "/data/paradox/"},
        {"/data/paradox//", "/data/paradox/"},
        {"a///b", "a//b"},
        {"//server/share//x", "//server/share/x"},
        {"////server/share", "//server/share"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(collapseBackslashes(QString::fromLatin1(in)), out) << in;
}

TEST(Statements, QuotingDoublesTheClosingCharacter)
{
    EXPECT_EQ(bracketName("Q1]; DROP TABLE [Orders"), "[Q1]]; DROP TABLE [Orders]");
    EXPECT_EQ(graveName("a`b"), "`a``b`");
    EXPECT_EQ(quotedText("O'Brien"), "'O''Brien'");
}

// The name a table is built under is a server name for any name of the table.
TEST(SqlTableSwap, BuildsUnderANameTheServerTakes)
{
    Connection unused;
    for (const QString& table : {QStringLiteral("T"), QString(99, u'a'), QString(128, u'a'),
                                 QString(98, u'a') + QStringLiteral("\U0001F600")}) {
        const SqlTableSwap swap(unused, table, newRunMark());
        EXPECT_LE(swap.building().size(), 128) << table.size();
        EXPECT_TRUE(swap.building().isValidUtf16()) << table.size();
        EXPECT_TRUE(swap.building().startsWith(table.left(20)));
    }
}
