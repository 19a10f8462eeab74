// Verification compares values in the form the target stores them: a value the mapping rounds
// on purpose matches the rounded value read back, and a changed value is told by its row and
// field.
#include "transfer/RowDigests.h"
#include "staging/ParadoxExport.h"
#include "staging/StagingTypes.h"
#include "transfer/Statements.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace tabulex;

namespace {

std::uint64_t sentToSqlServer(const Value& v, const ColumnPlan& plan)
{
    return valueDigest(valueAsWritten(v, plan));
}

} // namespace

TEST(RowDigests, ValuesTheMappingChangesOnPurposeMatchWhatTheTargetGivesBack)
{
    // MONEY rounds to four decimals; the server gives the decimal back with its scale.
    ColumnPlan money{QStringLiteral("MONEY")};
    money.roundedDecimals = 4;
    EXPECT_EQ(sentToSqlServer(Value(12.345678), money), valueDigest(Value(Decimal{"12.3457"})));
    EXPECT_NE(sentToSqlServer(Value(12.345678), money), valueDigest(Value(Decimal{"12.3456"})));
    // The classic mapping writes a Boolean, a date or a number into a text column as text.
    const ColumnPlan text{QStringLiteral("TEXT")};
    EXPECT_EQ(sentToSqlServer(Value(true), text), valueDigest(Value("True")));
    EXPECT_EQ(sentToSqlServer(Value(Date{2020, 2, 29}), text), valueDigest(Value("2020-02-29")));
    EXPECT_EQ(sentToSqlServer(Value(2.5), text), valueDigest(Value("2.5")));
    // An empty text is written as NULL.
    EXPECT_EQ(sentToSqlServer(Value(""), text), valueDigest(Value()));
    // A number is the same number whatever its type.
    const ColumnPlan plain{QStringLiteral("FLOAT")};
    EXPECT_EQ(sentToSqlServer(Value(5), plain), valueDigest(Value(5.0)));
    EXPECT_EQ(valueDigest(Value(Decimal{"-0012.5000"})), valueDigest(Value(-12.5)));
    EXPECT_NE(valueDigest(Value(Decimal{"1234567890.12345678901"})),
              valueDigest(Value(Decimal{"1234567890.12345678902"})));
    EXPECT_NE(valueDigest(Value(5)), valueDigest(Value("5")));

    // Towards Paradox: times to the millisecond, a Time field takes the time of day alone,
    // a decimal outside a BCD field is a double.
    staging::ColumnType stamp;
    stamp.type = staging::JetType::DateTime;
    const Timestamp fine{{2021, 8, 31}, {10, 20, 30, 123456789}};
    EXPECT_EQ(valueDigest(staging::exportedValue(Value(fine), stamp)),
              valueDigest(Value(Timestamp{{2021, 8, 31}, {10, 20, 30, 123000000}})));
    stamp.paradoxType = paradox::FieldType::Time;
    EXPECT_EQ(valueDigest(staging::exportedValue(Value(fine), stamp)),
              valueDigest(Value(Time{10, 20, 30, 123000000})));
    staging::ColumnType number;
    number.type = staging::JetType::Decimal;
    EXPECT_EQ(valueDigest(staging::exportedValue(Value(Decimal{"0.1"}), number)),
              valueDigest(Value(0.1)));
    // A date is the timestamp at its midnight.
    EXPECT_EQ(valueDigest(Value(Date{1999, 12, 31})),
              valueDigest(Value(Timestamp{{1999, 12, 31}, {}})));
}

TEST(RowDigests, RowsInAnotherOrderAreTheSameAndAChangedOrLostRowIsNamed)
{
    const auto digestsOf = [](std::initializer_list<std::pair<int, const char*>> rows) {
        auto d = std::make_unique<RowDigests>(2);
        for (const auto& [n, t] : rows) {
            const std::uint64_t fields[] = {valueDigest(Value(n)), valueDigest(Value(t))};
            d->hold(fields);
            d->settle(true);
        }
        return d;
    };
    const auto sent = digestsOf({{1, "a"}, {2, "b"}, {3, "c"}, {3, "c"}});
    EXPECT_TRUE(sent->sameRows(*digestsOf({{3, "c"}, {1, "a"}, {3, "c"}, {2, "b"}})));
    // A duplicate row is not the same as another row twice.
    EXPECT_FALSE(sent->sameRows(*digestsOf({{1, "a"}, {2, "b"}, {3, "c"}, {2, "b"}})));

    const QStringList names{QStringLiteral("n"), QStringLiteral("t")};
    const auto changed = digestsOf({{1, "a"}, {2, "x"}, {3, "c"}, {3, "c"}});
    EXPECT_FALSE(sent->sameRows(*changed));
    EXPECT_EQ(describeDifference(QStringLiteral("T"), *sent, *changed, names),
              QStringLiteral("The table T does not hold what was sent: 4 rows sent, 4 rows in "
                             "it. 1 row sent is not in it as sent, 1 row of it is not among "
                             "those sent.\nRow 2 of the source: field t differs (row 2 of the "
                             "table)."));
    const auto lost = digestsOf({{1, "a"}, {3, "c"}, {3, "c"}});
    EXPECT_EQ(describeDifference(QStringLiteral("T"), *sent, *lost, names),
              QStringLiteral("The table T does not hold what was sent: 4 rows sent, 3 rows in "
                             "it. 1 row sent is not in it as sent, 0 rows of it are not among "
                             "those sent.\nRow 2 of the source: not in the table."));

    // A row that did not arrive is not counted; settled in the order the rows were held.
    RowDigests held(2);
    const std::uint64_t row[] = {valueDigest(Value(1)), valueDigest(Value("a"))};
    held.holdNothing();
    held.hold(row);
    held.settle(false);
    held.settle(true);
    EXPECT_TRUE(held.sameRows(*digestsOf({{1, "a"}})));
}
