// pxlib as an independent reader and writer: the fixtures read alike, our tables read by
// pxlib, and pxlib's tables read by us, over every field type both libraries handle.
#include "PxlibTable.h"
#include "TestSupport.h"

#include "paradox/TableFiles.h"

extern "C" {
#include <paradox.h>
}

#include <cfloat>
#include <cmath>

namespace paradox {
namespace {

namespace fs = std::filesystem;

using test::fixture;
using test::PxlibField;
using test::readAll;
using test::Rows;

// Compares pxlib's trusted values with ours; returns how many it compared.
int compareWithPxlib(const fs::path& db, const Rows& ours)
{
    const auto mb = findCompanion(db, "MB");
    const test::PxlibTable px = test::readWithPxlib(db, mb ? *mb : fs::path());
    EXPECT_EQ(px.rows.size(), ours.size()) << db;
    int compared = 0;
    for (std::size_t r = 0; r < std::min(px.rows.size(), ours.size()); ++r)
        for (std::size_t i = 0; i < px.fields.size(); ++i) {
            if (!px.trusted[r][i])
                continue;
            EXPECT_EQ(ours[r][i], px.rows[r][i])
                << db.filename() << " record " << r + 1 << " field " << px.fields[i].name;
            ++compared;
        }
    return compared;
}

// The fixtures but ROMAN8, whose code page pxlib has no converter for.
std::vector<std::string> tablesPxlibReads()
{
    std::vector<std::string> tables = test::fixtureTables();
    std::erase(tables, std::string("db/ROMAN8.db"));
    return tables;
}

class FixturesAgainstPxlib : public ::testing::TestWithParam<std::string> {};

TEST_P(FixturesAgainstPxlib, everyValuePxlibReadsIsOursToo)
{
    REQUIRE_PARADOX_FIXTURES();
    const fs::path db = fixture(GetParam());
    const int compared = compareWithPxlib(db, readAll(db));
    EXPECT_GT(compared, 0);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixturesAgainstPxlib, ::testing::ValuesIn(tablesPxlibReads()),
                         [](const ::testing::TestParamInfo<std::string>& p) {
                             return test::paramName(p.param);
                         });

std::string repeated(const std::string& unit, std::size_t length)
{
    std::string s;
    while (s.size() < length)
        s += unit;
    s.resize(length);
    return s;
}

Value bytesValue(std::size_t n, int seed)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = char((i * 31 + std::size_t(seed)) % 251 + 1); // never 0: pxlib's NULL test
    return Value(Bytes{s});
}

// Rows over every field type both libraries read: NULLs, the extremes of each numeric type,
// dates before 1900 and after 2038, a 255-character Alpha and memos of 0, 1, 240 and
// 100,000 bytes (one memo field keeps 10 bytes in the record, the other 240).
struct Sample {
    std::vector<FieldDefinition> ours;
    std::vector<PxlibField> pxlib;
    Rows rows;
};

Sample sharedSample()
{
    Sample s;
    auto add = [&](const char* name, FieldType type, int size, int pxType, int length,
                   int decimals = 0) {
        s.ours.push_back({name, type, size});
        s.pxlib.push_back({name, pxType, length, decimals});
    };
    add("Name", FieldType::Alpha, 255, pxfAlpha, 255);
    add("Small", FieldType::Short, 0, pxfShort, 2);
    add("Big", FieldType::Long, 0, pxfLong, 4);
    add("Ratio", FieldType::Number, 0, pxfNumber, 8);
    add("Price", FieldType::Money, 0, pxfCurrency, 8);
    add("Day", FieldType::Date, 0, pxfDate, 4);
    add("Clock", FieldType::Time, 0, pxfTime, 4);
    add("Stamp", FieldType::Timestamp, 0, pxfTimestamp, 8);
    add("Flag", FieldType::Logical, 0, pxfLogical, 1);
    add("Amount", FieldType::Bcd, 2, pxfBCD, 17, 2);
    add("Raw", FieldType::Bytes, 16, pxfBytes, 16);
    add("Note", FieldType::Memo, 20, pxfMemoBLOb, 20);
    add("Story", FieldType::Memo, 250, pxfMemoBLOb, 250);

    const auto ts = [](Date d, Time t) { return Value(Timestamp{d, t}); };
    s.rows.push_back({Value(repeated("abcdefghij", 255)), Value(32767), Value(2147483647),
                      Value(DBL_MAX), Value(1234.56), Value(Date{1, 1, 1}), Value(Time{0, 0, 0, 0}),
                      ts({1899, 12, 31}, {23, 59, 59, 999}), Value(true), Value(Decimal{"12.30"}),
                      bytesValue(16, 1), Value(""), Value(std::string(1, 'x'))});
    s.rows.push_back({Value("Zoë Ærøskøbing"), Value(-32767), Value(-2147483647), Value(-DBL_MAX),
                      Value(-0.01), Value(Date{9999, 12, 31}), Value(Time{23, 59, 59, 999}),
                      ts({2039, 1, 19}, {3, 14, 8, 0}), Value(false),
                      Value(Decimal{"-99999999999999999999999999999.99"}), bytesValue(3, 2),
                      Value(repeated("memo ", 240)), Value(repeated("story ", 240))});
    s.rows.push_back({Value("x"), Value(0), Value(0), Value(0.0), Value(DBL_MIN),
                      Value(Date{1752, 9, 14}), Value(Time{12, 0, 0, 1}),
                      ts({2100, 2, 28}, {0, 0, 0, 0}), Value(true), Value(Decimal{"0.00"}),
                      bytesValue(1, 3), Value(repeated("0123456789", 100000)),
                      Value(repeated("Ärger ", 100000))});
    s.rows.push_back(std::vector<Value>(s.ours.size(), Value()));
    return s;
}

// What a table gives back for what was written: Paradox cannot tell an empty text from NULL,
// and a Bytes field returns its full length.
Rows expectedBack(const Sample& s)
{
    Rows rows = s.rows;
    for (auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (row[i].kind() == Value::Kind::Text && row[i].toText().empty())
                row[i] = Value();
            if (row[i].kind() == Value::Kind::Bytes) {
                std::string b = row[i].toBytes().data;
                b.resize(std::size_t(s.ours[i].size), '\0');
                row[i] = Value(Bytes{b});
            }
        }
    return rows;
}

void expectSameRows(const Rows& got, const Rows& expected,
                    const std::vector<FieldDefinition>& fields)
{
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t r = 0; r < expected.size(); ++r)
        for (std::size_t i = 0; i < expected[r].size(); ++i)
            EXPECT_EQ(got[r][i], expected[r][i]) << "record " << r + 1 << " " << fields[i].name;
}

TEST(OurTablesReadByPxlib, giveBackEveryValue)
{
    test::TempDir dir;
    const Sample s = sharedSample();
    test::writeTable(dir / "SHARED.db", s.ours, s.rows);
    const Rows expected = expectedBack(s);
    expectSameRows(readAll(dir / "SHARED.db"), expected, s.ours);
    const test::PxlibTable px = test::readWithPxlib(dir / "SHARED.db", dir / "SHARED.mb");
    expectSameRows(px.rows, expected, s.ours);
    EXPECT_TRUE(px.errors.empty()) << px.errors.front();
}

TEST(OurTablesReadByPxlib, binaryBlobsAndLargeGraphics)
{
    // pxlib reads B and O values as stored and strips a graphic's prefix only in a block of
    // its own (above 2 KB), so graphics here are large.
    test::TempDir dir;
    const std::vector<FieldDefinition> fields{{"Id", FieldType::AutoIncrement, 0},
                                              {"Bin", FieldType::Blob, 10},
                                              {"Obj", FieldType::Ole, 30},
                                              {"Pic", FieldType::Graphic, 10}};
    const Rows rows{{Value(), bytesValue(1, 1), bytesValue(20, 2), bytesValue(5000, 3)},
                    {Value(), bytesValue(3000, 4), bytesValue(2048, 5), Value()},
                    {Value(7), Value(), bytesValue(100000, 6), bytesValue(70000, 7)}};
    test::writeTable(dir / "BLOBS.DB", fields, rows);
    const test::PxlibTable px = test::readWithPxlib(dir / "BLOBS.DB", dir / "BLOBS.MB");
    ASSERT_EQ(px.rows.size(), 3u);
    EXPECT_EQ(px.rows[0][0], Value(1)) << "an empty Autoincrement takes the next number";
    EXPECT_EQ(px.rows[1][0], Value(2));
    EXPECT_EQ(px.rows[2][0], Value(7));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t i = 1; i < 4; ++i)
            EXPECT_EQ(px.rows[r][i], rows[r][i]) << "record " << r + 1 << " " << fields[i].name;
    EXPECT_EQ(readAll(dir / "BLOBS.DB")[2], px.rows[2]);
}

// Records too large for 4 KB blocks: with the row count announced the writer picks 16 and
// 32 KB blocks, which pxlib must read alike.
class LargeBlocksReadByPxlib : public ::testing::TestWithParam<int> {};

TEST_P(LargeBlocksReadByPxlib, giveBackEveryValue)
{
    test::TempDir dir;
    const int blockSize = GetParam();
    const int alphas = blockSize == 16384 ? 20 : 65; // records of 5112 and 16587 bytes
    std::vector<FieldDefinition> fields{{"Id", FieldType::Long}};
    for (int i = 0; i < alphas; ++i)
        fields.push_back({"Text" + std::to_string(i), FieldType::Alpha, 255});
    fields.push_back({"Ratio", FieldType::Number});
    Rows rows;
    for (int r = 0; r < 7; ++r) {
        std::vector<Value> row{Value(r + 1)};
        for (int i = 0; i < alphas; ++i) {
            const auto length = std::size_t(1 + (r * 37 + i) % 255);
            row.push_back(Value(repeated(std::to_string(r * 1000 + i) + " ", length)));
        }
        row.push_back(Value(r / 3.0));
        rows.push_back(row);
    }
    WriteOptions options;
    options.rows = rows.size();
    test::writeTable(dir / "LARGE.DB", fields, rows, options);
    EXPECT_EQ(TableReader::open(dir / "LARGE.DB")->header().blockSize, blockSize);
    expectSameRows(readAll(dir / "LARGE.DB"), rows, fields);
    const test::PxlibTable px = test::readWithPxlib(dir / "LARGE.DB", fs::path());
    expectSameRows(px.rows, rows, fields);
    EXPECT_TRUE(px.errors.empty()) << px.errors.front();
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, LargeBlocksReadByPxlib, ::testing::Values(16384, 32768));

Sample withoutField(Sample s, const std::string& name)
{
    for (std::size_t i = 0; i < s.ours.size(); ++i)
        if (s.ours[i].name == name) {
            s.ours.erase(s.ours.begin() + std::ptrdiff_t(i));
            s.pxlib.erase(s.pxlib.begin() + std::ptrdiff_t(i));
            for (auto& row : s.rows)
                row.erase(row.begin() + std::ptrdiff_t(i));
        }
    return s;
}

TEST(PxlibTablesReadByUs, giveBackEveryValue)
{
    // Without BCD: pxlib writes a BCD value with the record length (17) as its scale, losing
    // integer digits beyond 15, and then refuses to read it back itself.
    test::TempDir dir;
    const Sample s = withoutField(sharedSample(), "Amount");
    test::writeWithPxlib(dir / "PXLIB.db", s.pxlib, s.rows);
    expectSameRows(readAll(dir / "PXLIB.db"), expectedBack(s), s.ours);
    const auto reader = TableReader::open(dir / "PXLIB.db");
    EXPECT_EQ(reader->header().versionText(), "7.x");
    EXPECT_EQ(reader->header().codePage, 1252);
}

TEST(PxlibTablesReadByUs, formattedMemoAndAutoincrement)
{
    test::TempDir dir;
    const std::vector<PxlibField> fields{{"Id", pxfAutoInc, 4}, {"Fmt", pxfFmtMemoBLOb, 15}};
    const Rows rows{{Value(), Value("short")}, {Value(), Value(repeated("formatted ", 3000))}};
    test::writeWithPxlib(dir / "FMT.db", fields, rows);
    const Rows back = readAll(dir / "FMT.db");
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0][0], Value(1));
    EXPECT_EQ(back[1][0], Value(2));
    EXPECT_EQ(back[0][1], Value(Bytes{"short"}));
    EXPECT_EQ(back[1][1], Value(Bytes{repeated("formatted ", 3000)}));
}

} // namespace
} // namespace paradox
