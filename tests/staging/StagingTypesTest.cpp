#include "core/DataError.h"
#include "staging/StagingSql.h"
#include "staging/StagingTypes.h"

#include <gtest/gtest.h>

using namespace tabulex;
using namespace tabulex::staging;

namespace {

Literal text(const char* t) { return Literal{Literal::Kind::Text, QString::fromUtf8(t)}; }
Literal number(const char* t) { return Literal{Literal::Kind::Number, QString::fromUtf8(t)}; }
Literal hex(const char* t) { return Literal{Literal::Kind::Hex, QString::fromUtf8(t)}; }

Value convert(const Literal& l, const char* type)
{
    return convertLiteral(l, *parseColumnType(QString::fromLatin1(type)), QStringLiteral("c"));
}

} // namespace

TEST(StagingTypes, KnowsJetNamesAndSynonyms)
{
    struct Case {
        const char* text;
        JetType type;
        int size;
    };
    for (const Case& c : {Case{"TEXT", JetType::Text, 255}, Case{"varchar(20)", JetType::Text, 20},
                          Case{"MEMO", JetType::Memo, 255}, Case{"LONG", JetType::Long, 255},
                          Case{"INT", JetType::Long, 255}, Case{"SHORT", JetType::Short, 255},
                          Case{"NUMBER", JetType::Double, 255}, Case{"MONEY", JetType::Currency, 255},
                          Case{"LOGICAL", JetType::Bit, 255},
                          Case{"TIMESTAMP", JetType::DateTime, 255},
                          Case{"OLEOBJECT", JetType::LongBinary, 255},
                          Case{"Binary (50)", JetType::Binary, 50}}) {
        const auto t = parseColumnType(QString::fromLatin1(c.text));
        ASSERT_TRUE(t) << c.text;
        EXPECT_EQ(t->type, c.type) << c.text;
        EXPECT_EQ(t->size, c.size) << c.text;
    }
    const auto d = parseColumnType(QStringLiteral("decimal(10, 2)"));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->precision, 10);
    EXPECT_EQ(d->scale, 2);
    for (const char* bad : {"BLOB", "TEXT(0)", "TEXT(256)", "INT(4)", "DECIMAL(5,6)", "", "1NT"})
        EXPECT_FALSE(parseColumnType(QString::fromLatin1(bad))) << bad;
}

struct Accepted {
    Literal literal;
    const char* type;
    Value stored;
};

class StagingAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(StagingAccepts, StoresTheSameValue)
{
    EXPECT_EQ(convert(GetParam().literal, GetParam().type), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StagingAccepts,
    ::testing::Values(
        Accepted{text("12"), "INT", Value(12)}, Accepted{text(" -7 "), "INT", Value(-7)},
        Accepted{text("1.0"), "LONG", Value(1)}, Accepted{text("1e3"), "LONG", Value(1000)},
        Accepted{text("2147483647"), "INT", Value(2147483647)},
        Accepted{text("-32767"), "SHORT", Value(-32767)}, Accepted{text("0.1"), "FLOAT", Value(0.1)},
        Accepted{text("1e308"), "FLOAT", Value(1e308)},
        Accepted{text("9007199254740992"), "FLOAT", Value(9007199254740992.0)},
        Accepted{text("12.3456"), "CURRENCY", Value(12.3456)},
        Accepted{text("123.45"), "DECIMAL(5,2)", Value(123.45)},
        Accepted{number("1"), "BIT", Value(true)}, Accepted{number("0"), "BIT", Value(false)},
        Accepted{text("True"), "BIT", Value(true)}, Accepted{text("false"), "LOGICAL", Value(false)},
        Accepted{text("2024-02-29"), "DATETIME", Value(Timestamp{{2024, 2, 29}, {}})},
        Accepted{text("1850-01-02T03:04:05.125"), "DATETIME",
                 Value(Timestamp{{1850, 1, 2}, {3, 4, 5, 125000000}})},
        Accepted{text("2100-12-31 23:59:59"), "DATETIME",
                 Value(Timestamp{{2100, 12, 31}, {23, 59, 59, 0}})},
        Accepted{text("12:30:00"), "DATETIME", Value(Timestamp{{1899, 12, 30}, {12, 30, 0, 0}})},
        Accepted{text("abcde"), "TEXT(5)", Value("abcde")},
        Accepted{text("😀😀"), "TEXT(2)", Value("😀😀")},
        Accepted{text("it's"), "MEMO", Value("it's")},
        Accepted{hex("00FF10"), "OLEOBJECT", Value(QByteArray("\x00\xff\x10", 3))},
        Accepted{Literal{}, "INT", Value()}));

struct Refused {
    Literal literal;
    const char* type;
};

class StagingRefuses : public ::testing::TestWithParam<Refused> {};

TEST_P(StagingRefuses, ValueTheColumnCannotHoldExactly)
{
    try {
        convert(GetParam().literal, GetParam().type);
        ADD_FAILURE() << "accepted " << GetParam().literal.text.toStdString() << " as "
                      << GetParam().type;
    } catch (const DataError& e) {
        // The message names the field and the value.
        EXPECT_TRUE(e.description().contains(QStringLiteral("'c'"))) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, StagingRefuses,
    ::testing::Values(Refused{text("1.5"), "INT"}, Refused{text("abc"), "INT"},
                      Refused{text("2147483648"), "INT"},
                      // The smallest value of a Paradox integer field is its blank marker.
                      Refused{text("-2147483648"), "LONG"}, Refused{text("-32768"), "SHORT"},
                      Refused{text("256"), "BYTE"},
                      Refused{text("123456789012345678"), "FLOAT"},
                      Refused{text("9007199254740993"), "FLOAT"}, Refused{text("1e400"), "FLOAT"},
                      Refused{text("1.23456"), "CURRENCY"}, Refused{text("1234.5"), "DECIMAL(5,2)"},
                      Refused{text("0.125"), "DECIMAL(5,2)"}, Refused{text("maybe"), "BIT"},
                      Refused{text("2023-02-29"), "DATETIME"},
                      Refused{text("2024-01-01T10:00:00.1234"), "DATETIME"},
                      Refused{text("tomorrow"), "DATETIME"}, Refused{text("abcdef"), "TEXT(5)"},
                      Refused{text("0102"), "OLEOBJECT"}, Refused{hex("0102"), "TEXT"},
                      Refused{hex("010203"), "BINARY(2)"}));

TEST(StagingSql, ReadsTheStatementsOfATransfer)
{
    auto c = std::get<CreateTable>(
        parseStatement(QStringLiteral("CREATE TABLE `Order Lines`([ID] INT,[A]]b] TEXT,[Amount] "
                                      "DECIMAL(10, 2));")));
    EXPECT_EQ(c.table, "Order Lines");
    ASSERT_EQ(c.columns.size(), 3u);
    EXPECT_EQ(c.columns[1].name, "A]b");
    EXPECT_EQ(c.columns[2].typeText, "DECIMAL(10, 2)");

    auto i = std::get<InsertRow>(parseStatement(
        QStringLiteral("INSERT INTO [t]]x] VALUES('7', NULL, 'it''s', 1, 0x0aFF, N'Ω', '')")));
    EXPECT_EQ(i.table, "t]x");
    ASSERT_EQ(i.values.size(), 7u);
    EXPECT_EQ(i.values[1].kind, Literal::Kind::Null);
    EXPECT_EQ(i.values[2].text, "it's");
    EXPECT_EQ(i.values[3].kind, Literal::Kind::Number);
    EXPECT_EQ(i.values[4].kind, Literal::Kind::Hex);
    EXPECT_EQ(i.values[4].text, "0aFF");
    EXPECT_EQ(i.values[5].text, "Ω");
    EXPECT_EQ(i.values[6].kind, Literal::Kind::Text);

    auto e = std::get<ExportTable>(parseStatement(QStringLiteral(
        "select * into [Paradox 5.x;Database=/data/x]]y/].[CUSTOMER.db] from [Customer]")));
    EXPECT_EQ(e.database, "Paradox 5.x;Database=/data/x]y/");
    EXPECT_EQ(e.file, "CUSTOMER.db");
    EXPECT_EQ(e.table, "Customer");

    for (const char* bad : {"CREATE TABLE `t`)", "INSERT INTO [t] VALUES('a'", "DROP [t]",
                            "UPDATE t SET a=1", "INSERT INTO [t] VALUES(0x123)"})
        EXPECT_THROW(parseStatement(QString::fromLatin1(bad)), DataError) << bad;
}
