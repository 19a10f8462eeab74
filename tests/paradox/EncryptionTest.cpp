// Password-protected tables read without a password: the real 5.x fixture, and tables of the
// other versions made here with the library's own scramble.
#include "ScrambleTable.h"
#include "TestSupport.h"

#include "paradox/ByteOrder.h"
#include "paradox/Layout.h"
#include "paradox/Scramble.h"

namespace paradox {
namespace {

using test::fileBytes;
using test::fixture;
using test::readAll;

TEST(PasswordProtectedFixture, readsItsRowsWithoutAPassword)
{
    REQUIRE_PARADOX_FIXTURES();
    const auto reader = TableReader::open(fixture("encrypt/encrypted.db"));
    EXPECT_TRUE(reader->header().encrypted);
    EXPECT_EQ(readAll(fixture("encrypt/encrypted.db")),
              (test::Rows{{Value(1), Value("Value 1")},
                          {Value(2), Value("Value 2")},
                          {Value(3), Value("Value 3")},
                          {Value(4), Value("Last one")}}));
}

TEST(PasswordProtectedFixture, blockDecodesToZerosAfterItsRecordsAndEncodesBack)
{
    // Every entry of the scramble's tables meets every chunk, so a wrong entry would leave
    // bytes in the zero tail of the block (Paradox zero-fills it).
    REQUIRE_PARADOX_FIXTURES();
    const std::string file = fileBytes(fixture("encrypt/encrypted.db"));
    const std::size_t header = 0x800;
    const std::size_t block = 2048;
    ASSERT_EQ(file.size(), header + block);
    std::string plain = file.substr(header);
    auto* p = reinterpret_cast<unsigned char*>(plain.data());
    const Scramble scramble(
        bytes::le32(reinterpret_cast<const unsigned char*>(file.data()) + layout::kEncryption2At));
    scramble.decodeBlock(p, block, 1);
    const std::size_t records = std::size_t(std::int16_t(bytes::le16(p + 4))) / 34 + 1;
    EXPECT_EQ(records, 4u);
    EXPECT_EQ(plain.find_first_not_of('\0', 6 + records * 34), std::string::npos);
    scramble.encodeBlock(p, block, 1);
    EXPECT_EQ(plain, file.substr(header));
}

// Plain tables of every version, scrambled here and read back against their plain reading.
struct Case {
    const char* db;
    const char* mb;
    std::uint32_t checksum;
    bool asVersion4; // 5.x memo table relabelled 4.x: memos came with 4.0
};

class ScrambledCopies : public ::testing::TestWithParam<Case> {};

TEST_P(ScrambledCopies, readAsTheirPlainOriginals)
{
    REQUIRE_PARADOX_FIXTURES();
    const Case c = GetParam();
    test::TempDir dir;
    std::string db = fileBytes(fixture(c.db));
    std::string mb = c.mb ? fileBytes(fixture(c.mb)) : std::string();
    if (c.asVersion4) {
        auto* h = reinterpret_cast<unsigned char*>(db.data());
        h[layout::kVersionAt] = 9;
        bytes::putLe16(h + layout::kFileVersion2At, 0x0109);
        bytes::putLe16(h + layout::kFileVersion3At, 0x0109);
    }
    test::writeFileBytes(dir / "PLAIN.DB", db);
    fuzz::scrambleTable(db, c.mb ? &mb : nullptr, c.checksum);
    test::writeFileBytes(dir / "LOCKED.DB", db);
    if (c.mb) {
        test::writeFileBytes(dir / "PLAIN.MB", fileBytes(fixture(c.mb)));
        test::writeFileBytes(dir / "LOCKED.MB", mb);
    }
    const auto reader = TableReader::open(dir / "LOCKED.DB");
    EXPECT_TRUE(reader->header().encrypted);
    const test::Rows plain = readAll(dir / "PLAIN.DB");
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(readAll(dir / "LOCKED.DB"), plain);
}

INSTANTIATE_TEST_SUITE_P(
    EveryVersion, ScrambledCopies,
    ::testing::Values(Case{"fields/date35.db", nullptr, 0x5A3C, false},
                      Case{"fields/memo.db", "fields/memo.mb", 0xFFFF, true},
                      Case{"db/CUSTOMER.DB", "db/CUSTOMER.MB", 0x0A25E09A, false},
                      Case{"db/AREACODES.DB", nullptr, 0x00FF0100, false}),
    [](const ::testing::TestParamInfo<Case>& p) { return test::paramName(p.param.db); });

} // namespace
} // namespace paradox
