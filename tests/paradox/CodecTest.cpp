// Value encodings of the record bytes, checked against the byte sequences Paradox writes.
#include "paradox/Bcd.h"
#include "paradox/ByteOrder.h"
#include "paradox/Calendar.h"
#include "paradox/CodePage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

namespace paradox {
namespace {

std::vector<unsigned char> hexBytes(std::string hex)
{
    hex.erase(std::remove(hex.begin(), hex.end(), ' '), hex.end());
    std::vector<unsigned char> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(std::uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

struct IntCase {
    int width;
    std::int64_t value;
    const char* hex;
};

class IntEncoding : public ::testing::TestWithParam<IntCase> {};

TEST_P(IntEncoding, matchesParadoxBytesBothWays)
{
    const IntCase c = GetParam();
    const auto expected = hexBytes(c.hex);
    std::vector<unsigned char> got(std::size_t(c.width));
    bytes::putInt(got.data(), c.width, c.value);
    EXPECT_EQ(got, expected);
    std::int64_t back = 0;
    ASSERT_TRUE(bytes::getInt(expected.data(), c.width, back));
    EXPECT_EQ(back, c.value);
}

INSTANTIATE_TEST_SUITE_P(ShortAndLong, IntEncoding,
                         ::testing::Values(IntCase{2, 1, "8001"}, IntCase{2, 256, "8100"},
                                           IntCase{2, -1, "7FFF"}, IntCase{2, -2, "7FFE"},
                                           IntCase{2, 0, "8000"}, IntCase{2, 32767, "FFFF"},
                                           IntCase{2, -32767, "0001"}, IntCase{4, 1, "80000001"},
                                           IntCase{4, 2147483647, "FFFFFFFF"},
                                           IntCase{4, -2147483647, "00000001"},
                                           IntCase{4, 36000000, "82255100"},
                                           IntCase{4, 736695, "800B3DB7"}, IntCase{1, 1, "81"}));

TEST(IntEncoding, allZeroBytesAreNull)
{
    const unsigned char zero[4] = {};
    std::int64_t v = 42;
    EXPECT_FALSE(bytes::getInt(zero, 2, v));
    EXPECT_FALSE(bytes::getInt(zero, 4, v));
}

struct DoubleCase {
    double value;
    const char* hex;
};

class DoubleEncoding : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(DoubleEncoding, matchesParadoxBytesBothWays)
{
    const DoubleCase c = GetParam();
    const auto expected = hexBytes(c.hex);
    unsigned char got[8];
    bytes::putDouble(got, c.value);
    EXPECT_EQ(std::vector<unsigned char>(got, got + 8), expected);
    double back = 0;
    ASSERT_TRUE(bytes::getDouble(expected.data(), back));
    EXPECT_EQ(back, c.value);
    EXPECT_EQ(std::signbit(back), std::signbit(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    NumberMoneyTimestamp, DoubleEncoding,
    ::testing::Values(DoubleCase{1.0, "BFF0000000000000"}, DoubleCase{-1.0, "400FFFFFFFFFFFFF"},
                      DoubleCase{20.0, "C034000000000000"}, DoubleCase{-200.0, "3F96FFFFFFFFFFFF"},
                      DoubleCase{0.0, "8000000000000000"}, DoubleCase{-0.0, "7FFFFFFFFFFFFFFF"},
                      DoubleCase{63716202001000.0, "C2CCF98ACB193400"}));

TEST(DoubleEncoding, allZeroBytesAreNull)
{
    const unsigned char zero[8] = {};
    double v = 1;
    EXPECT_FALSE(bytes::getDouble(zero, v));
}

struct DayCase {
    Date date;
    std::int64_t day;
};

class DayNumbers : public ::testing::TestWithParam<DayCase> {};

TEST_P(DayNumbers, countFromTheFirstOfJanuaryOfYearOne)
{
    EXPECT_EQ(calendar::dayNumber(GetParam().date), GetParam().day);
    EXPECT_EQ(calendar::dateOfDay(GetParam().day), GetParam().date);
}

INSTANTIATE_TEST_SUITE_P(Known, DayNumbers,
                         ::testing::Values(DayCase{{1, 1, 1}, 1}, DayCase{{100, 1, 1}, 36160},
                                           DayCase{{1996, 5, 4}, 728783},
                                           DayCase{{2018, 1, 1}, 736695},
                                           DayCase{{1970, 1, 1}, 719163}));

TEST(DayNumbers, agreeWithTheStandardCalendarFromYearOneToNineThousand)
{
    using namespace std::chrono;
    const sys_days epoch = sys_days(year(1970) / January / 1);
    for (std::int64_t day = 1; day < 3'300'000; day += 997) {
        const year_month_day ymd{epoch + days(day - 719163)};
        const Date expected{int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
        ASSERT_EQ(calendar::dateOfDay(day), expected) << day;
        ASSERT_EQ(calendar::dayNumber(expected), day);
    }
}

TEST(Calendar, rejectsImpossibleDatesAndTimes)
{
    EXPECT_TRUE(calendar::isValid(Date{2000, 2, 29}));
    EXPECT_FALSE(calendar::isValid(Date{1900, 2, 29}));
    EXPECT_FALSE(calendar::isValid(Date{2021, 4, 31}));
    EXPECT_FALSE(calendar::isValid(Date{2021, 13, 1}));
    EXPECT_TRUE(calendar::isValid(Time{23, 59, 59, 999}));
    EXPECT_FALSE(calendar::isValid(Time{24, 0, 0, 0}));
    EXPECT_FALSE(calendar::isValid(Time{12, 0, 0, 1000}));
}

struct BcdCase {
    const char* text;
    int scale;
    const char* hex;
};

class BcdEncoding : public ::testing::TestWithParam<BcdCase> {};

TEST_P(BcdEncoding, matchesParadoxBytesBothWays)
{
    const BcdCase c = GetParam();
    const auto expected = hexBytes(c.hex);
    unsigned char got[17];
    ASSERT_EQ(bcd::encode(c.text, c.scale, got), "");
    EXPECT_EQ(std::vector<unsigned char>(got, got + 17), expected);
    std::string back;
    ASSERT_TRUE(bcd::decode(expected.data(), back));
    EXPECT_EQ(back, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, BcdEncoding,
    ::testing::Values(
        BcdCase{"1.23", 2, "C2 0000000000000000000000000000 0123"},
        BcdCase{"-1.23", 2, "42 FFFFFFFFFFFFFFFFFFFFFFFFFFFF FEDC"},
        BcdCase{"0.00", 2, "C2 00000000000000000000000000000000"},
        BcdCase{"1", 0, "C0 00000000000000000000000000000001"},
        BcdCase{"99999999999999999999999999999999", 0, "C0 99999999999999999999999999999999"},
        BcdCase{"0.12345678901234567890123456789012", 32, "E0 12345678901234567890123456789012"},
        BcdCase{"-0.5", 1, "41 FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFA"}));

TEST(BcdEncoding, normalisesTheTextItIsGiven)
{
    unsigned char p[17];
    std::string back;
    ASSERT_EQ(bcd::encode("+007.50", 3, p), "");
    ASSERT_TRUE(bcd::decode(p, back));
    EXPECT_EQ(back, "7.500");
    ASSERT_EQ(bcd::encode("-0.000", 2, p), "");
    ASSERT_TRUE(bcd::decode(p, back));
    EXPECT_EQ(back, "0.00") << "negative zero is zero";
    ASSERT_EQ(bcd::encode("12.3400", 2, p), "") << "trailing zeros beyond the scale lose nothing";
    ASSERT_TRUE(bcd::decode(p, back));
    EXPECT_EQ(back, "12.34");
}

TEST(BcdEncoding, refusesWhatItCannotHoldExactly)
{
    unsigned char p[17];
    EXPECT_NE(bcd::encode("1.234", 2, p), "");
    EXPECT_NE(bcd::encode("123", 31, p), "");
    EXPECT_NE(bcd::encode("1e5", 0, p), "");
    EXPECT_NE(bcd::encode("", 2, p), "");
    EXPECT_NE(bcd::encode("-", 2, p), "");
    EXPECT_NE(bcd::encode("1.2.3", 2, p), "");
}

TEST(BcdDecoding, dropsTheNoiseParadoxLeavesPastItsPrecision)
{
    // 0.123 with 32 decimals as a Paradox table stores it: nibbles above 9 after 19 digits.
    const auto stored = hexBytes("E0 1229 999999999999 98 0B00E00000BF4A");
    ASSERT_EQ(stored.size(), 17u);
    std::string text;
    ASSERT_TRUE(bcd::decode(stored.data(), text));
    EXPECT_EQ(text, "0.12299999999999999800000000000000");
}

} // namespace
} // namespace paradox

// Code pages with combining marks hold a letter back until they see what follows it.
TEST(TextDecoding, keepsTheLastLetterOfCodePagesThatCombine)
{
    for (const char* cp : {"CP1258", "CP1255"}) {
        const paradox::TextEncoder encoder(cp);
        const paradox::TextDecoder decoder(cp);
        const std::string text = std::string(cp) == "CP1258" ? "Việt Nam" : "שלום abc";
        std::string raw, back;
        char32_t bad = 0;
        ASSERT_TRUE(encoder.encode(text, raw, bad)) << cp;
        decoder.decode(reinterpret_cast<const unsigned char*>(raw.data()), raw.size(), back);
        EXPECT_EQ(back, text) << cp;
    }
}

// The code page narrows row by row; the row none of those left holds decides on the first one
// left, which holds every row before it.
TEST(CodePageChoice, narrowsThenDecidesOnTheFirstCandidateLeft)
{
    using paradox::CodePageChoice;
    using Fit = CodePageChoice::Fit;
    CodePageChoice latin;
    EXPECT_EQ(latin.admit({U'ü'}).fit, Fit::Fits);
    EXPECT_EQ(latin.admit({U'ç'}).fit, Fit::Fits);
    EXPECT_FALSE(latin.decided());
    // Held by no code page: fails alone and leaves the choice open.
    const auto emoji = latin.admit({U'ş', U'\U0001F600'});
    EXPECT_EQ(emoji.fit, Fit::NoneHolds);
    EXPECT_EQ(emoji.missing, std::vector<char32_t>({U'\U0001F600'}));
    EXPECT_FALSE(latin.decided());
    const auto cyrillic = latin.admit({U'ü', U'Ж'});
    EXPECT_EQ(cyrillic.fit, Fit::NotHeld);
    EXPECT_EQ(cyrillic.missing, std::vector<char32_t>({U'Ж'}));
    EXPECT_TRUE(latin.decided());
    EXPECT_EQ(latin.codePage(), 1252);
    EXPECT_EQ(latin.admit({U'ş'}).fit, Fit::NotHeld); // 1254 would have held it
    EXPECT_EQ(latin.admit({U'ß'}).fit, Fit::Fits);

    // Cyrillic first: 1251, or 936, which also holds ü; ç then decides on 936.
    CodePageChoice cyrillicFirst;
    EXPECT_EQ(cyrillicFirst.admit({U'Ж'}).fit, Fit::Fits);
    EXPECT_EQ(cyrillicFirst.codePage(), 1251);
    EXPECT_EQ(cyrillicFirst.admit({U'ü'}).fit, Fit::Fits);
    EXPECT_EQ(cyrillicFirst.codePage(), 936);
    EXPECT_EQ(cyrillicFirst.admit({U'ç'}).fit, Fit::NotHeld);
    EXPECT_EQ(cyrillicFirst.codePage(), 936);

    CodePageChoice fixed(866);
    EXPECT_TRUE(fixed.decided());
    EXPECT_EQ(fixed.admit({U'Ж'}).fit, Fit::Fits);
    const auto notHeld = fixed.admit({U'\U0001F600'});
    EXPECT_EQ(notHeld.fit, Fit::NotHeld);
    EXPECT_EQ(fixed.codePage(), 866);
}
