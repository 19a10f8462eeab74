// Real Paradox tables (3.5 to 7.x) read with the library. Values that pxlib cannot give (its
// oracle test covers the rest) are stated here with where they come from.
#include "TestSupport.h"

#include "paradox/Error.h"

namespace paradox {
namespace {

namespace fs = std::filesystem;

using test::fixture;
using test::readAll;

class EveryFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryFixture, readsToTheEndWithTheHeadersRecordCount)
{
    REQUIRE_PARADOX_FIXTURES();
    auto reader = TableReader::open(fixture(GetParam()));
    std::vector<Value> row;
    std::uint64_t count = 0;
    while (reader->next(row)) {
        ASSERT_EQ(row.size(), reader->header().fields.size());
        ++count;
    }
    EXPECT_EQ(count, reader->header().recordCount);
    EXPECT_FALSE(reader->next(row)) << "the end stays the end";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EveryFixture, ::testing::ValuesIn(test::fixtureTables()),
                         [](const ::testing::TestParamInfo<std::string>& p) {
                             return test::paramName(p.param);
                         });

TEST(FixtureHeaders, giveVersionCodePageAndLanguageDriver)
{
    REQUIRE_PARADOX_FIXTURES();
    struct Case {
        const char* file;
        const char* version;
        int codePage;
        const char* driver;
        const char* encoding;
    };
    for (const Case& c : {Case{"fields/date35.db", "3.5", 0, "", "CP437"},
                          Case{"fields/date4.db", "4.x", 850, "ascii", "CP850"},
                          Case{"fields/date5.db", "5.x", 850, "ascii", "CP850"},
                          Case{"db/CUSTOMER.DB", "7.x", 1252, "ANSII850", "CP1252"},
                          Case{"db/GENERAL.DB", "5.x", 936, "china", "CP936"},
                          Case{"db/ROMAN8.db", "4.x", 0, "BLROM800", "HP-ROMAN8"}}) {
        const auto reader = TableReader::open(fixture(c.file));
        const TableHeader& h = reader->header();
        EXPECT_EQ(h.versionText(), c.version) << c.file;
        EXPECT_EQ(h.codePage, c.codePage) << c.file;
        EXPECT_EQ(h.sortOrderName, c.driver) << c.file;
        EXPECT_EQ(h.encoding, c.encoding) << c.file;
        EXPECT_FALSE(h.encrypted) << c.file;
    }
}

TEST(FixtureValues, roman8TextComesOutAsTheJdbcDriverReadsIt)
{
    REQUIRE_PARADOX_FIXTURES();
    // Expected value: leonhad/paradoxdriver TableDataTest.testRoman8 (SQL Link ROMAN8 driver,
    // code page 0 in the header); pxlib cannot convert code page 0.
    const auto rows = readAll(fixture("db/ROMAN8.db"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], Value("Š½ƒ¶"));
}

TEST(FixtureValues, bcdKeepsEveryDigitAndDropsParadoxNoise)
{
    REQUIRE_PARADOX_FIXTURES();
    // Expected values: the digits stored in bcd.db (pxlib prints the same digits up to the
    // first nibble above 9, then punctuation); the JDBC driver's BCDFieldTest agrees to
    // 0.001 (1.23, 1, 0.123 / -1.23, -1, -0.123 / 0, NULL, 0.9999).
    const auto rows = readAll(fixture("fields/bcd.db"));
    ASSERT_EQ(rows.size(), 3u);
    const auto dec = [](const char* t) { return Value(Decimal{t}); };
    EXPECT_EQ(rows[0], (std::vector<Value>{dec("1.23"), dec("1"),
                                           dec("0.12299999999999999800000000000000")}));
    EXPECT_EQ(rows[1], (std::vector<Value>{dec("-1.23"), dec("-1"),
                                           dec("-0.12299999999999999800000000000000")}));
    EXPECT_EQ(rows[2], (std::vector<Value>{dec("0.00"), Value(),
                                           dec("0.99990000000000001180000000000000")}));
}

TEST(FixtureValues, timestampsAndTheirNulls)
{
    REQUIRE_PARADOX_FIXTURES();
    // Expected values: JDBC TimestampFieldTest (NULL, then 2020-02-01 01:00:01); pxlib gives 0
    // for a NULL timestamp without marking it NULL.
    const auto rows = readAll(fixture("fields/timestamp.db"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0][0].isNull());
    EXPECT_EQ(rows[1][0], Value(Timestamp{{2020, 2, 1}, {1, 0, 1, 0}}));
}

TEST(FixtureValues, datesOfEveryVersionAndNullsBesideValues)
{
    REQUIRE_PARADOX_FIXTURES();
    // Expected values: pxlib's day numbers 736695, 736726, 736696 (3.5 has no code page, so
    // pxlib refuses its encoding but still reads dates); times 36000000, 37800000, 33925000 ms.
    for (const char* file : {"fields/date35.db", "fields/date4.db"}) {
        const auto rows = readAll(fixture(file));
        ASSERT_EQ(rows.size(), 3u) << file;
        EXPECT_EQ(rows[0][0], Value(Date{2018, 1, 1})) << file;
        EXPECT_EQ(rows[1][0], Value(Date{2018, 2, 1})) << file;
        EXPECT_EQ(rows[2][0], Value(Date{2018, 1, 2})) << file;
    }
    const auto rows = readAll(fixture("fields/date7.db"));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[2], (std::vector<Value>{Date{2018, 1, 2}, Time{9, 25, 25, 0}}));
    EXPECT_EQ(rows[3], (std::vector<Value>{Value(), Time{10, 0, 0, 0}}));
    EXPECT_EQ(rows[4], (std::vector<Value>{Date{2018, 1, 1}, Value()}));
}

TEST(FixtureValues, blobsFromLeaderAndMemoFile)
{
    REQUIRE_PARADOX_FIXTURES();
    // Expected sizes: JDBC MemoFieldTest (memo 555 characters and "01234567890\n"; formatted
    // memo 169 and 726). Graphics: the record tails give 9626 and 2074686 bytes (the sizes
    // JDBC BlobFieldTest reports), which include Paradox's 8-byte prefix; what remains is a
    // Windows bitmap whose own header states its size.
    auto memo = readAll(fixture("fields/memo.db"));
    ASSERT_EQ(memo.size(), 2u);
    EXPECT_EQ(memo[0][1].toText().size(), 555u);
    EXPECT_EQ(memo[0][1].toText().substr(0, 12), "012345678900");
    EXPECT_EQ(memo[1][1], Value("01234567890\n"));

    auto fmemo = readAll(fixture("fields/fmemo.db"));
    ASSERT_EQ(fmemo.size(), 2u);
    EXPECT_EQ(fmemo[0][1].toBytes().data.size(), 169u);
    EXPECT_EQ(fmemo[1][1].toBytes().data.size(), 726u);

    auto graphic = readAll(fixture("fields/graphic.db"));
    ASSERT_EQ(graphic.size(), 3u);
    EXPECT_EQ(graphic[1][1].toBytes().data.size(), 9626u - 8);
    EXPECT_EQ(graphic[2][1].toBytes().data.size(), 2074686u - 8);
    for (const auto& row : graphic) {
        const std::string& bmp = row[1].toBytes().data;
        ASSERT_GE(bmp.size(), 6u);
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        const auto* p = reinterpret_cast<const unsigned char*>(bmp.data());
        EXPECT_EQ(std::size_t(p[2] | p[3] << 8 | p[4] << 16 | p[5] << 24), bmp.size());
    }

    // A graphic field with a 240-byte leader: the same picture as graphic 1.
    auto graphic240 = readAll(fixture("fields/graphic240.db"));
    ASSERT_EQ(graphic240.size(), 1u);
    EXPECT_EQ(graphic240[0][1], graphic[0][1]);
}

TEST(FixtureValues, memoTextIsDecodedFromTheTablesCodePage)
{
    REQUIRE_PARADOX_FIXTURES();
    const auto rows = readAll(fixture("db/HERCULES.DB"));
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0][0], Value("CUSTTF_HEADER"));
    EXPECT_EQ(rows[0][1],
              Value("<TABLE BORDER=2>\n<TR><TH>Name</TH><TH>EMail Address</TH></TR>\n"));
}

TEST(FixtureValues, anEncodingOverrideReplacesTheHeadersCodePage)
{
    REQUIRE_PARADOX_FIXTURES();
    ReadOptions latin1;
    latin1.encoding = "ISO-8859-1";
    const auto rows = readAll(fixture("db/ROMAN8.db"), latin1);
    EXPECT_EQ(rows[0][0], Value("\xc3\xab\xc3\xb8\xc2\xbe\xc3\xb4"));
}

} // namespace
} // namespace paradox
