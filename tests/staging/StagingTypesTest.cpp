#include "staging/StagingTypes.h"
#include "core/DataError.h"

#include <gtest/gtest.h>

using namespace tabulex;
using namespace tabulex::staging;

namespace {

Value text(const char* t) { return Value(QString::fromUtf8(t)); }
Value hex(const char* t) { return Value(QByteArray::fromHex(t)); }

Value convert(const Value& v, const char* type)
{
    return convertValue(v, *parseColumnType(QString::fromLatin1(type)), QStringLiteral("c"));
}

} // namespace

TEST(StagingTypes, KnowsJetNamesAndSynonyms)
{
    struct Case {
        const char* text;
        JetType type;
        int size;
    };
    for (const Case& c :
         {Case{"TEXT", JetType::Text, 255}, Case{"varchar(20)", JetType::Text, 20},
          Case{"MEMO", JetType::Memo, 255}, Case{"LONG", JetType::Long, 255},
          Case{"INT", JetType::Long, 255}, Case{"SHORT", JetType::Short, 255},
          Case{"NUMBER", JetType::Double, 255}, Case{"MONEY", JetType::Currency, 255},
          Case{"LOGICAL", JetType::Bit, 255}, Case{"TIMESTAMP", JetType::DateTime, 255},
          Case{"OLEOBJECT", JetType::LongBinary, 255}, Case{"Binary (50)", JetType::Binary, 50}}) {
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
    try {
        requireColumnType(QStringLiteral("var"), QStringLiteral("Name"));
        ADD_FAILURE() << "accepted var";
    } catch (const DataError& e) {
        EXPECT_EQ(e.description(), "Syntax error in field definition: the data type 'var' of the "
                                   "field 'Name' is not known.");
    }
}

// A value is taken as itself where that is plain, else as its text; bytes are binary data.
struct Accepted {
    Value value;
    const char* type;
    Value stored;
};

class StagingAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(StagingAccepts, StoresTheSameValue)
{
    EXPECT_EQ(convert(GetParam().value, GetParam().type), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StagingAccepts,
    ::testing::Values(
        Accepted{text("12"), "INT", Value(12)}, Accepted{text(" -7 "), "INT", Value(-7)},
        Accepted{text("1.0"), "LONG", Value(1)}, Accepted{text("1e3"), "LONG", Value(1000)},
        Accepted{text("2147483647"), "INT", Value(2147483647)},
        Accepted{text("-32767"), "SHORT", Value(-32767)},
        Accepted{text("0.1"), "FLOAT", Value(0.1)}, Accepted{text("1e308"), "FLOAT", Value(1e308)},
        Accepted{text("9007199254740992"), "FLOAT", Value(9007199254740992.0)},
        Accepted{text("12.3456"), "CURRENCY", Value(12.3456)},
        Accepted{text("123.45"), "DECIMAL(5,2)", Value(123.45)},
        Accepted{Value(1), "BIT", Value(true)}, Accepted{Value(0), "BIT", Value(false)},
        Accepted{Value(true), "BIT", Value(true)}, Accepted{Value(true), "TEXT", Value("True")},
        Accepted{Value(1), "TEXT", Value("1")}, Accepted{Value(32767), "SHORT", Value(32767)},
        Accepted{Value(0.1), "FLOAT", Value(0.1)},
        Accepted{Value(Decimal{"12.3456"}), "CURRENCY", Value(12.3456)},
        Accepted{Value(Date{1850, 1, 2}), "DATETIME", Value(Timestamp{{1850, 1, 2}, {}})},
        Accepted{text("True"), "BIT", Value(true)},
        Accepted{text("false"), "LOGICAL", Value(false)},
        Accepted{text("2024-02-29"), "DATETIME", Value(Timestamp{{2024, 2, 29}, {}})},
        Accepted{text("1850-01-02T03:04:05.125"), "DATETIME",
                 Value(Timestamp{{1850, 1, 2}, {3, 4, 5, 125000000}})},
        Accepted{text("2100-12-31 23:59:59"), "DATETIME",
                 Value(Timestamp{{2100, 12, 31}, {23, 59, 59, 0}})},
        Accepted{text("12:30:00"), "DATETIME", Value(Timestamp{{1899, 12, 30}, {12, 30, 0, 0}})},
        Accepted{text("abcde"), "TEXT(5)", Value("abcde")},
        Accepted{text("😀😀"), "TEXT(2)", Value("😀😀")}, Accepted{text("it's"), "MEMO", Value("it's")},
        Accepted{hex("00FF10"), "OLEOBJECT", Value(QByteArray("\x00\xff\x10", 3))},
        Accepted{Value(), "INT", Value()}));

struct Refused {
    Value value;
    const char* type;
};

class StagingRefuses : public ::testing::TestWithParam<Refused> {};

TEST_P(StagingRefuses, ValueTheColumnCannotHoldExactly)
{
    try {
        convert(GetParam().value, GetParam().type);
        ADD_FAILURE() << "accepted " << GetParam().value.toText().toStdString() << " as "
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
                      Refused{text("256"), "BYTE"}, Refused{text("123456789012345678"), "FLOAT"},
                      Refused{text("9007199254740993"), "FLOAT"}, Refused{text("1e400"), "FLOAT"},
                      Refused{text("1.23456"), "CURRENCY"}, Refused{text("1234.5"), "DECIMAL(5,2)"},
                      Refused{text("0.125"), "DECIMAL(5,2)"}, Refused{text("maybe"), "BIT"},
                      Refused{text("2023-02-29"), "DATETIME"},
                      Refused{text("tomorrow"), "DATETIME"}, Refused{text("abcdef"), "TEXT(5)"},
                      Refused{text("0102"), "OLEOBJECT"}, Refused{hex("0102"), "TEXT"},
                      Refused{hex("010203"), "BINARY(2)"}, Refused{Value(70000), "SHORT"},
                      Refused{Value((std::int64_t(1) << 53) + 1), "FLOAT"}));

// A time finer than a millisecond is rounded to the nearest one, carrying into the next day
// where there is a date; a time of day alone, or the last day, stops at 23:59:59.999.
struct Rounded {
    Value value;
    Value stored;
};

class StagingRounds : public ::testing::TestWithParam<Rounded> {};

TEST_P(StagingRounds, TimesToWholeMilliseconds)
{
    bool rounded = false;
    EXPECT_EQ(convertValue(GetParam().value, *parseColumnType("DATETIME"), "c", &rounded),
              GetParam().stored);
    EXPECT_TRUE(rounded);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StagingRounds,
    ::testing::Values(Rounded{text("2024-01-01T10:00:00.1234"),
                              Value(Timestamp{{2024, 1, 1}, {10, 0, 0, 123000000}})},
                      Rounded{Value(Timestamp{{2024, 1, 1}, {10, 0, 0, 100}}),
                              Value(Timestamp{{2024, 1, 1}, {10, 0, 0, 0}})},
                      Rounded{Value(Timestamp{{2024, 1, 2}, {3, 4, 5, 123456700}}),
                              Value(Timestamp{{2024, 1, 2}, {3, 4, 5, 123000000}})},
                      Rounded{Value(Timestamp{{2024, 1, 2}, {3, 4, 5, 123500000}}),
                              Value(Timestamp{{2024, 1, 2}, {3, 4, 5, 124000000}})},
                      Rounded{Value(Timestamp{{2024, 12, 31}, {23, 59, 59, 999999900}}),
                              Value(Timestamp{{2025, 1, 1}, {0, 0, 0, 0}})},
                      Rounded{Value(Timestamp{{9999, 12, 31}, {23, 59, 59, 999999900}}),
                              Value(Timestamp{{9999, 12, 31}, {23, 59, 59, 999000000}})},
                      Rounded{text("23:59:59.9999999"),
                              Value(Timestamp{{1899, 12, 30}, {23, 59, 59, 999000000}})},
                      Rounded{Value(Time{23, 59, 59, 999999999}),
                              Value(Timestamp{{1899, 12, 30}, {23, 59, 59, 999000000}})}));
