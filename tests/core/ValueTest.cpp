#include "core/Value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

using namespace tabulex;

struct TextCase {
    Value value;
    const char* text;
};

class ValueText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ValueText, DefaultTextConversion)
{
    EXPECT_EQ(GetParam().value.toText().toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ValueText,
    ::testing::Values(
        TextCase{Value(), ""}, TextCase{Value(true), "True"}, TextCase{Value(false), "False"},
        TextCase{Value(std::int64_t(-9223372036854775807LL - 1)), "-9223372036854775808"},
        TextCase{Value(std::uint64_t(18446744073709551615ULL)), "18446744073709551615"},
        TextCase{Value(0.1), "0.1"}, TextCase{Value(1.0 / 3), "0.3333333333333333"},
        TextCase{Value(-2.5), "-2.5"}, TextCase{Value(1e300), "1e+300"},
        TextCase{Value(0.1f), "0.1"}, TextCase{Value(16777217.0f), "16777216"},
        TextCase{Value(Decimal{"-12.3400"}), "-12.3400"},
        TextCase{Value(QByteArray("\x01\xff", 2)), "01FF"},
        TextCase{Value(Date{1899, 12, 30}), "1899-12-30"},
        TextCase{Value(Date{9999, 1, 2}), "9999-01-02"},
        TextCase{Value(Time{7, 5, 3, 0}), "07:05:03"},
        TextCase{Value(Time{23, 59, 59, 123456700}), "23:59:59.1234567"},
        TextCase{Value(Timestamp{{2038, 1, 19}, {3, 14, 8, 500000000}}), "2038-01-19T03:14:08.5"},
        TextCase{Value(QString::fromUtf8("Привет 中文")), "Привет 中文"}));

TEST(ValueText, DoublesReadBackExactly)
{
    for (double d : {0.1, 1.0 / 3, 2.0 / 3, 1e-310, 123456789.123456789, -0.0,
                     std::numeric_limits<double>::max(), std::numeric_limits<double>::min()}) {
        const QString text = Value(d).toText();
        EXPECT_EQ(std::strtod(text.toStdString().c_str(), nullptr), d) << text.toStdString();
    }
}
