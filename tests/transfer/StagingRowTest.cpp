#include "core/DataError.h"
#include "data/Recordset.h"
#include "staging/StagingSql.h"
#include "transfer/CopyRows.h"
#include "transfer/Statements.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tabulex;
using namespace tabulex::staging;

namespace {

// The outcome of storing a literal: the stored value, or the refusal's message.
std::pair<Value, QString> outcome(const Literal& lit, const ColumnType& type)
{
    try {
        return {convertLiteral(lit, type, QStringLiteral("c")), QString()};
    } catch (const DataError& e) {
        return {Value(), e.description().section(u':', 0, 0)};
    }
}

} // namespace

// A row handed to the staging store as values must end as the same stored values (or the
// same refusals) as the row's INSERT text read back by the store.
TEST(StagingRows, ValuesHandedOverEqualTheStatementReadBack)
{
    const std::vector<Value> values = {
        Value(),
        Value(0),
        Value(-7),
        Value(2147483647),
        Value(std::int64_t(-2147483648LL)),
        Value(std::int64_t(1) << 53),
        Value((std::int64_t(1) << 53) + 1),
        Value(std::int64_t(9223372036854775807LL)),
        Value(std::uint64_t(18446744073709551615ULL)),
        Value(0.1),
        Value(-0.0),
        Value(1e300),
        Value(std::numeric_limits<double>::quiet_NaN()),
        Value(std::numeric_limits<double>::infinity()),
        Value(2.5f),
        Value(Decimal{"12.3456"}),
        Value(Decimal{"0.12299999999999999800000000000000"}),
        Value(true),
        Value(false),
        Value("it's"),
        Value(QString()),
        Value("True"),
        Value("  42 "),
        Value(QString::fromUtf8("Привет")),
        Value(QByteArray("\x01\xff", 2)),
        Value(QByteArray()),
        Value(Date{1850, 1, 2}),
        Value(Time{13, 45, 30, 123000000}),
        Value(Timestamp{{2038, 1, 19}, {3, 14, 8, 997000000}}),
        Value(Timestamp{{2038, 1, 19}, {3, 14, 8, 997100000}}),
        Value(Timestamp{{2023, 2, 29}, {0, 0, 0, 0}}),
        Value(Timestamp{{0, 1, 1}, {0, 0, 0, 0}}),
        Value(Decimal{"1e400"}),
    };
    const char* types[] = {"TEXT", "TEXT(3)", "MEMO", "BYTE", "SHORT", "LONG", "FLOAT",
                           "REAL", "DECIMAL(10,4)", "CURRENCY", "BIT", "DATETIME", "OLEOBJECT",
                           "BINARY(4)", "GUID"};
    const LiteralStyle styles[] = {LiteralStyle::Quoted, LiteralStyle::UnicodeQuoted,
                                   LiteralStyle::Hex, LiteralStyle::BooleanDigits};
    for (const char* typeText : types) {
        const ColumnType type = *parseColumnType(QString::fromLatin1(typeText));
        for (const LiteralStyle style : styles) {
            for (const Value& v : values) {
                const Fields fields({Field{QStringLiteral("c"), 0, v, 0, 0, 0}});
                const std::vector<ColumnPlan> plans = {ColumnPlan{typeText, style}};
                const auto read = std::get<InsertRow>(
                    parseStatement(buildInsertStatement(QStringLiteral("t"), fields, plans)));
                std::vector<Literal> handed;
                stagingLiterals(fields, plans, handed);
                ASSERT_EQ(read.values.size(), 1u);
                const std::string what = std::string(typeText) + " " + v.toText().toStdString();
                EXPECT_EQ(handed[0].kind, read.values[0].kind) << what;
                EXPECT_EQ(handed[0].text.isNull() ? v.toText() : handed[0].text,
                          read.values[0].text)
                    << what;
                const auto fromText = outcome(read.values[0], type);
                const auto fromValue = outcome(handed[0], type);
                EXPECT_EQ(fromValue.first, fromText.first) << what;
                EXPECT_EQ(fromValue.second.isEmpty(), fromText.second.isEmpty()) << what;
            }
        }
    }
}
