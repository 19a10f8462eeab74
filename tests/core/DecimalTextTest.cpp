#include "core/DecimalText.h"

#include <gtest/gtest.h>

using namespace tabulex;

TEST(DecimalText, ReadsNumbersToDigitsAndAPowerOfTen)
{
    struct Case {
        const char* text;
        bool negative;
        const char* digits;
        int exponent;
    };
    for (const Case& c :
         {Case{"12", false, "12", 0}, Case{" -0.50 ", true, "5", -1}, Case{"1e3", false, "1", 3},
          Case{"+7", false, "7", 0}, Case{"100", false, "1", 2}, Case{"0.001", false, "1", -3},
          Case{"-0", false, "", 0}, Case{".5", false, "5", -1}, Case{"5.", false, "5", 0},
          Case{"1.2E-2", false, "12", -3}}) {
        const auto d = parseDecimal(QString::fromLatin1(c.text));
        ASSERT_TRUE(d) << c.text;
        EXPECT_EQ(d->negative, c.negative) << c.text;
        EXPECT_EQ(d->digits, c.digits) << c.text;
        EXPECT_EQ(d->exponent, c.exponent) << c.text;
    }
    for (const char* bad : {"", ".", "-", "1.2.3", "abc", "1e", "1e12345", "1,5", "0x10", "1 2"})
        EXPECT_FALSE(parseDecimal(QString::fromLatin1(bad))) << bad;
    EXPECT_TRUE(sameDecimalValue("1.50", "1.5"));
    EXPECT_TRUE(sameDecimalValue("1e2", "100.000"));
    EXPECT_FALSE(sameDecimalValue("1.5", "1.05"));
}

TEST(DecimalText, ExactDoubleOnlyWhereADoubleHoldsTheNumber)
{
    struct Case {
        const char* text;
        bool exact;
    };
    for (const Case& c :
         {Case{"0.1", true}, Case{"-2.5", true}, Case{"12.3456", true}, Case{"1e308", true},
          Case{"9007199254740992", true}, Case{"9007199254740993", false},
          Case{"0.30000000000000004", true}, Case{"0.3000000000000000444", false},
          Case{"123456789012345678", false}, Case{"1e400", false}, Case{"-0.0", true},
          Case{"0.12299999999999999800000000000000", false}, Case{"922337203685.4775", true},
          Case{"abc", false}, Case{"1٫5", false}}) {
        EXPECT_EQ(exactDouble(QString::fromUtf8(c.text)).has_value(), c.exact) << c.text;
    }
    EXPECT_EQ(*exactDouble("0.1"), 0.1);
    EXPECT_EQ(*exactDouble("+1e3"), 1000.0);
}
