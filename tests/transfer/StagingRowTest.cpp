#include "data/Recordset.h"
#include "staging/StagingStore.h"
#include "transfer/StagingRowTarget.h"
#include "transfer/Statements.h"

#include <gtest/gtest.h>

using namespace tabulex;

namespace {

constexpr auto Q = LiteralStyle::Quoted;
constexpr auto H = LiteralStyle::Hex;
constexpr auto B = LiteralStyle::BooleanDigits;

// One value of a row, written in its column's style into a staging field of the given type,
// and what the field then holds, or the refusal's text.
struct RowCase {
    Value value;
    LiteralStyle style;
    const char* type;
    Value stored;
    const char* refusal = nullptr; // after "The value '...' cannot be stored in the field 'c': "
    const char* shown = nullptr;   // the value the refusal shows
};

void PrintTo(const RowCase& c, std::ostream* os)
{
    *os << c.type << " style " << int(c.style) << " value " << c.value.toText().toStdString();
}

class StagingRow : public ::testing::TestWithParam<RowCase> {};

// The outcome of the one row.
struct Outcome : RowOutcomes {
    void arrived(qint64 rows) override { arrivedRows += rows; }
    void failed(const QString& sql, const QString& description, const QString&) override
    {
        statement = sql;
        refusal = description;
    }
    qint64 arrivedRows = 0;
    QString statement;
    QString refusal;
};

} // namespace

// The row goes to the store as the values its INSERT statement writes: the store holds, or
// refuses, what it would have for the statement's text; a refused row fails with its
// statement.
TEST_P(StagingRow, StoresWhatTheInsertStatementWrites)
{
    const RowCase& c = GetParam();
    staging::StagingStore store;
    store.createTable("t", {{"c", *staging::parseColumnType(QString::fromLatin1(c.type))}});
    const Fields row({Field{QStringLiteral("c"), 0, c.value, 0, 0, 0}});
    const std::vector<ColumnPlan> plans = {ColumnPlan{c.type, c.style, {}}};
    QString current;
    StagingRowTarget target(&store, "t", plans, current);
    Outcome outcome;
    target.add(row, outcome);
    const QString& refusal = outcome.refusal;
    std::vector<Value> stored;
    store.readRows(store.table("t"), [&](const std::vector<Value>& r) { stored = r; });
    EXPECT_EQ(outcome.arrivedRows, c.refusal ? 0 : 1);
    if (c.refusal) {
        EXPECT_EQ(outcome.statement, buildInsertStatement("t", row, plans));
        EXPECT_EQ(refusal, QStringLiteral("The value '%1' cannot be stored in the field 'c': %2")
                               .arg(QString::fromUtf8(c.shown), QString::fromUtf8(c.refusal)));
        EXPECT_TRUE(stored.empty());
    } else {
        EXPECT_TRUE(refusal.isEmpty()) << refusal.toStdString();
        EXPECT_EQ(stored, std::vector<Value>({c.stored}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, StagingRow,
    ::testing::Values(
        // Null, and the empty values an INSERT statement writes as NULL.
        RowCase{Value(), Q, "LONG", Value()}, RowCase{Value(QString()), Q, "TEXT", Value()},
        RowCase{Value(QByteArray()), H, "OLEOBJECT", Value()},
        RowCase{Value(Decimal{""}), Q, "FLOAT", Value()},
        // Booleans: digits towards a Boolean field's column, True or False as text.
        RowCase{Value(true), B, "BIT", Value(true)}, RowCase{Value(false), B, "TEXT", Value("0")},
        RowCase{Value(true), B, "LONG", Value(1)}, RowCase{Value(true), Q, "TEXT", Value("True")},
        RowCase{Value("True"), B, "TEXT", Value("True")},
        RowCase{Value(true), B, "DATETIME", {}, "it is not a valid date or time.", "1"},
        // Bytes: binary data where written as 0x..., else their hex digits as text.
        RowCase{Value(QByteArray("\x01\xff", 2)), H, "OLEOBJECT", Value(QByteArray("\x01\xff", 2))},
        RowCase{Value(QByteArray("\x01\xff", 2)), Q, "TEXT", Value("01FF")},
        RowCase{Value(QByteArray("\x01\xff", 2)),
                H,
                "TEXT",
                {},
                "binary data does not fit a TEXT field.",
                "0x01FF"},
        RowCase{Value(QByteArray("\x01\xff", 2)),
                Q,
                "OLEOBJECT",
                {},
                "a binary field takes hexadecimal data (0x...).",
                "01FF"},
        RowCase{Value(QByteArray("\x01\xff", 2)),
                H,
                "BINARY(1)",
                {},
                "the field holds at most 1 bytes.",
                "0x01FF"},
        // Numbers.
        RowCase{Value(2147483647), Q, "LONG", Value(2147483647)},
        RowCase{Value(std::int64_t(-2147483648LL)),
                Q,
                "LONG",
                {},
                "the field holds whole numbers from -2147483647 to 2147483647.",
                "-2147483648"},
        RowCase{Value("  42 "), Q, "SHORT", Value(42)},
        RowCase{Value(1.5), Q, "LONG", {}, "it is not a whole number.", "1.5"},
        RowCase{Value(0.1), Q, "FLOAT", Value(0.1)}, RowCase{Value(2.5f), Q, "REAL", Value(2.5)},
        RowCase{Value(std::uint64_t(18446744073709551615ULL)),
                Q,
                "FLOAT",
                {},
                "a Paradox number field does not hold this number exactly.",
                "18446744073709551615"},
        RowCase{Value(Decimal{"12.3456"}), Q, "CURRENCY", Value(12.3456)},
        RowCase{Value(Decimal{"12.34567"}),
                Q,
                "CURRENCY",
                {},
                "the field keeps 4 digits after the decimal point.",
                "12.34567"},
        // Dates and times.
        RowCase{Value(Timestamp{{2038, 1, 19}, {3, 14, 8, 997000000}}), Q, "DATETIME",
                Value(Timestamp{{2038, 1, 19}, {3, 14, 8, 997000000}})},
        RowCase{Value(Timestamp{{2038, 1, 19}, {3, 14, 8, 997600000}}), Q, "DATETIME",
                Value(Timestamp{{2038, 1, 19}, {3, 14, 8, 998000000}})},
        RowCase{Value(Date{1850, 1, 2}), Q, "DATETIME", Value(Timestamp{{1850, 1, 2}, {}})},
        RowCase{Value(Time{13, 45, 30, 123000000}), Q, "DATETIME",
                Value(Timestamp{{1899, 12, 30}, {13, 45, 30, 123000000}})},
        RowCase{Value(Time{13, 45, 30, 123000000}), Q, "TEXT", Value("13:45:30.123")},
        // Text, counted in characters.
        RowCase{Value(QString::fromUtf8("ЖЖ")), Q, "TEXT(2)", Value(QString::fromUtf8("ЖЖ"))},
        RowCase{Value(QString::fromUtf8("Привет")),
                Q,
                "TEXT(3)",
                {},
                "the field holds at most 3 characters.",
                "Привет"}));
