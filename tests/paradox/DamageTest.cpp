// Damaged, truncated and hostile files: a clear Error naming the table and the cause, never
// a crash, a hang or wrong values passed off as the table's (the sanitizer build checks the
// memory side).
#include "Damage.h"
#include "FuzzInput.h"
#include "ScrambleTable.h"
#include "TestSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "paradox/ByteOrder.h"
#include "paradox/ByteSource.h"
#include "paradox/DamageReport.h"
#include "paradox/Error.h"

#include <functional>
#include <optional>

namespace paradox {
namespace {

using test::fileBytes;
using test::fixture;
using test::Rows;

// Reads a table from bytes; nullopt when the reader reports damage with an Error. A salvage
// read (`report` given) leaves its report there.
std::optional<Rows> tryRead(const std::string& db, const std::string* mb, std::string* message,
                            std::string* report = nullptr)
{
    try {
        ReadOptions options;
        options.salvage = report != nullptr;
        TableReader reader(
            std::make_unique<MemorySource>(db.data(), db.size()), "T.DB",
            [mb]() -> std::unique_ptr<ByteSource> {
                if (!mb)
                    return nullptr;
                return std::make_unique<MemorySource>(mb->data(), mb->size());
            },
            options);
        Rows rows;
        std::vector<Value> row;
        while (reader.next(row))
            rows.push_back(row);
        if (report)
            *report = reader.damage()->text();
        return rows;
    } catch (const Error& e) {
        if (message)
            *message = e.what();
        return std::nullopt;
    }
}

std::string readMessage(const std::string& db, const std::string* mb = nullptr)
{
    std::string message;
    EXPECT_FALSE(tryRead(db, mb, &message).has_value()) << "the damage went unnoticed";
    return message;
}

void setLe16(std::string& b, std::size_t at, std::uint16_t v)
{
    bytes::putLe16(reinterpret_cast<unsigned char*>(b.data() + at), v);
}

void setLe32(std::string& b, std::size_t at, std::uint32_t v)
{
    bytes::putLe32(reinterpret_cast<unsigned char*>(b.data() + at), v);
}

struct Table {
    const char* db;
    const char* mb;
    std::uint32_t scramble = 0; // made password-protected with this checksum
};

class Truncation : public ::testing::TestWithParam<Table> {};

TEST_P(Truncation, atEveryLengthGivesAnErrorOrTheWholeTable)
{
    REQUIRE_PARADOX_FIXTURES();
    std::string db = fileBytes(fixture(GetParam().db));
    std::string mb = GetParam().mb ? fileBytes(fixture(GetParam().mb)) : std::string();
    const std::string* mbp = GetParam().mb ? &mb : nullptr;
    if (GetParam().scramble)
        fuzz::scrambleTable(db, GetParam().mb ? &mb : nullptr, GetParam().scramble);
    const auto whole = tryRead(db, mbp, nullptr);
    ASSERT_TRUE(whole.has_value());
    for (std::size_t n = 0; n < db.size(); n += 7) {
        const auto cut = tryRead(db.substr(0, n), mbp, nullptr);
        if (cut) {
            ASSERT_EQ(*cut, *whole) << "cut at " << n;
        }
    }
    for (std::size_t n = 0; mbp && n < mb.size(); n += 509) {
        const std::string shortMb = mb.substr(0, n);
        const auto cut = tryRead(db, &shortMb, nullptr);
        if (cut) {
            ASSERT_EQ(*cut, *whole) << "memo file cut at " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Truncation,
                         ::testing::Values(Table{"db/ORDERS.DB", nullptr},
                                           Table{"db/CUSTOMER.DB", "db/CUSTOMER.MB"},
                                           Table{"fields/memo.db", "fields/memo.mb"},
                                           Table{"fields/date35.db", nullptr},
                                           Table{"fields/graphic.db", "fields/graphic.mb"},
                                           Table{"encrypt/encrypted.db", nullptr},
                                           Table{"fields/memo.db", "fields/memo.mb", 0xBEEF}));

TEST(ByteFlips, inTheHeaderAndFirstBlockNeverCrash)
{
    REQUIRE_PARADOX_FIXTURES();
    for (const Table t :
         {Table{"db/CUSTOMER.DB", "db/CUSTOMER.MB"}, Table{"fields/bcd.db", nullptr},
          Table{"fields/date35.db", nullptr}, Table{"encrypt/encrypted.db", nullptr}}) {
        const std::string db = fileBytes(fixture(t.db));
        const std::string mb = t.mb ? fileBytes(fixture(t.mb)) : std::string();
        const std::size_t header =
            bytes::le16(reinterpret_cast<const unsigned char*>(db.data()) + 2);
        for (std::size_t at = 0; at < std::min(db.size(), header + 64); ++at) {
            if (at > 0x300 && at < header)
                at = header; // the zero padding of the header means nothing
            for (const unsigned char v : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
                std::string damaged = db;
                damaged[at] = char(v);
                tryRead(damaged, t.mb ? &mb : nullptr, nullptr);
            }
        }
    }
}

// A table of three records over two blocks, written by the library: the base for precise
// damage.
std::string smallTable(test::TempDir& dir)
{
    WriteOptions options;
    options.blockSize = 1024;
    const std::vector<FieldDefinition> fields{
        {"Name", FieldType::Alpha, 255}, {"Note", FieldType::Alpha, 245}, {"N", FieldType::Long}};
    test::writeTable(dir / "SMALL.DB", fields,
                     {{Value("one"), Value(), Value(1)},
                      {Value("two"), Value(), Value(2)},
                      {Value("three"), Value(), Value(3)}},
                     options);
    return fileBytes(dir / "SMALL.DB");
}

constexpr std::size_t kHeader = 0x800;
constexpr std::size_t kBlock = 1024;

TEST(HostileChains, areReportedWithTheirCause)
{
    test::TempDir dir;
    const std::string db = smallTable(dir);
    ASSERT_EQ(tryRead(db, nullptr, nullptr)->size(), 3u);

    std::string loop = db;
    setLe16(loop, kHeader + kBlock, 1); // block 2 leads back to block 1
    EXPECT_EQ(readMessage(loop), "T.DB: the block chain runs in a circle at block 1");

    std::string beyond = db;
    setLe16(beyond, kHeader, 9);
    EXPECT_EQ(readMessage(beyond),
              "T.DB: the block chain leads to block 9 but the file has 2 blocks");

    std::string count = db;
    setLe32(count, 0x06, 4);
    EXPECT_EQ(readMessage(count), "T.DB: the header counts 4 records but the blocks hold 3");

    std::string oversized = db;
    setLe16(oversized, kHeader + 4, 2 * 504); // three records of 504 bytes in a 1 KB block
    EXPECT_EQ(readMessage(oversized),
              "T.DB: block 1 is damaged: its record count does not fit the block");

    std::string misaligned = db;
    setLe16(misaligned, kHeader + 4, 5);
    EXPECT_EQ(readMessage(misaligned),
              "T.DB: block 1 is damaged: its record count does not fit the block");

    EXPECT_EQ(readMessage(db.substr(0, kHeader + kBlock + 100)),
              "T.DB: the file is truncated inside block 2");
}

TEST(HostileHeaders, areReportedWithTheirCause)
{
    test::TempDir dir;
    const std::string db = smallTable(dir);
    struct Case {
        std::size_t at;
        unsigned char value;
        const char* message;
    };
    for (const Case& c :
         {Case{0x00, 0x10,
               "T.DB: the fields take 504 bytes but the header gives a record size of 272"},
          Case{0x04, 0x01, "T.DB: this is an index file, not a table"},
          Case{0x04, 0x09, "T.DB: unknown file type 9 in the header"},
          Case{0x05, 0x05, "T.DB: invalid block size code 5"},
          Case{0x39, 0x02, "T.DB: unknown file version 2"},
          Case{0x21, 0x00, "T.DB: invalid field count 0"},
          Case{0x78, 0x42, "T.DB: field 1 has the unknown type code 66"},
          Case{0x7D, 0x07, "T.DB: field 3 (Long Integer) has the invalid size 7"}}) {
        std::string damaged = db;
        damaged[c.at] = char(c.value);
        EXPECT_EQ(readMessage(damaged), c.message);
        std::string salvaged;
        std::string report;
        EXPECT_FALSE(tryRead(damaged, nullptr, &salvaged, &report)) << c.message;
        EXPECT_EQ(salvaged, c.message);
    }
    EXPECT_EQ(readMessage(db.substr(0, 0x40)),
              "T.DB: the file is too short to be a Paradox table (64 bytes)");
    EXPECT_EQ(readMessage(db.substr(0, 0x500)),
              "T.DB: the file is truncated: it ends inside its 2048-byte header");
    std::string names = db;
    std::fill(names.begin() + 0xDD, names.begin() + kHeader, 'x'); // from the first name on
    EXPECT_EQ(readMessage(names), "T.DB: the end of the header cuts off the field names");
}

TEST(PasswordProtectedTables, whoseChecksumDoesNotFitTheirBlocksAreReportedAsDamaged)
{
    test::TempDir dir;
    std::string db = smallTable(dir);
    setLe32(db, 0x5C, 0x1234ABCD); // plain blocks, unscrambled with this key, are noise
    EXPECT_EQ(readMessage(db),
              "T.DB: the block chain leads to block 54392 but the file has 2 blocks");
}

// A memo table whose first value lives in a sub-allocated block and whose second one in a
// block of its own.
struct MemoTable {
    std::string db;
    std::string mb;
};

MemoTable memoTable(test::TempDir& dir)
{
    test::writeTable(dir / "M.DB", {{"Memo", FieldType::Memo, 11}},
                     {{Value(std::string(100, 'a'))}, {Value(std::string(5000, 'b'))}});
    return {fileBytes(dir / "M.DB"), fileBytes(dir / "M.MB")};
}

TEST(HostileMemoFiles, areReportedWithTheirCause)
{
    test::TempDir dir;
    const MemoTable t = memoTable(dir);
    ASSERT_TRUE(tryRead(t.db, &t.mb, nullptr).has_value());
    const std::size_t tail = kHeader + 6 + 1; // record 1: leader of 1 byte, then the tail
    const std::size_t tail2 = tail + 11;

    std::string toHeader = t.db;
    setLe32(toHeader, tail, 0x0000003F);
    EXPECT_EQ(readMessage(toHeader, &t.mb),
              "T.DB: memo file T.MB: a value points to offset 0, which starts no block");

    std::string unaligned = t.db;
    setLe32(unaligned, tail, 0x0000113F);
    EXPECT_EQ(readMessage(unaligned, &t.mb),
              "T.DB: memo file T.MB: a value points to offset 4352, which starts no block");

    std::string past = t.db;
    setLe32(past, tail, 0x0010003F);
    EXPECT_EQ(readMessage(past, &t.mb),
              "T.DB: memo file T.MB: a value points to offset 1048576, beyond the end of the file");

    std::string length = t.db;
    setLe32(length, tail + 4, 101);
    EXPECT_EQ(readMessage(length, &t.mb),
              "T.DB: memo file T.MB: entry 63 of the block at offset 4096 holds 100 bytes but "
              "the record says 101");

    std::string unused = t.db;
    setLe32(unused, tail, 0x0000103E);
    EXPECT_EQ(readMessage(unused, &t.mb),
              "T.DB: memo file T.MB: a value points to the unused entry 62 of the block at "
              "offset 4096");

    std::string huge = t.db;
    setLe32(huge, tail2 + 4, 0xFFFFFFF0);
    EXPECT_EQ(readMessage(huge, &t.mb),
              "T.DB: memo file T.MB: the block at offset 8192 holds 5000 bytes but the record "
              "says 4294967280");

    std::string single = t.mb;
    setLe32(single, 8192 + 3, 0xFFFFFFF0);
    std::string singleDb = t.db;
    setLe32(singleDb, tail2 + 4, 0xFFFFFFF0);
    EXPECT_EQ(readMessage(singleDb, &single),
              "T.DB: memo file T.MB: the block at offset 8192 is too small for its value");

    EXPECT_EQ(readMessage(t.db, nullptr),
              "T.DB: a value is stored in the memo file, which is missing");
}

// A source that fails after a number of bytes, as a disk or network share may.
class FailingSource : public ByteSource {
public:
    FailingSource(const std::string& bytes, std::size_t budget) : m_bytes(bytes), m_budget(budget)
    {
    }
    std::uint64_t size() const override { return m_bytes.size(); }
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t n) override
    {
        if (n > m_budget)
            throw Error("T.DB", "cannot read the file: Input/output error");
        m_budget -= n;
        return MemorySource(m_bytes.data(), m_bytes.size()).readAt(offset, buffer, n);
    }

private:
    const std::string& m_bytes;
    std::size_t m_budget;
};

TEST(FailingSources, passTheirErrorOnAtEveryPoint)
{
    test::TempDir dir;
    const std::string db = smallTable(dir);
    for (std::size_t budget = 0; budget < db.size(); budget += 97) {
        try {
            TableReader reader(std::make_unique<FailingSource>(db, budget), "T.DB", nullptr);
            std::vector<Value> row;
            while (reader.next(row)) {
            }
            ADD_FAILURE() << "read " << db.size() << " bytes with a budget of " << budget;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "T.DB: cannot read the file: Input/output error");
        }
    }
}

// A damaged copy of a fixture, the records of the original a salvage read must give (ranges
// of record numbers from 1, with the BLOb values it loses as NULL) and its exact report.
struct Salvage {
    const char* name;
    const char* db;
    const char* mb;
    std::function<void(std::string& db, std::string& mb)> damage;
    std::vector<std::pair<int, int>> kept;
    std::vector<int> nullComments; // records whose Comments value is lost
    const char* report;
    bool dropMb = false;
    std::uint32_t scramble = 0;
};

void PrintTo(const Salvage& s, std::ostream* os) { *os << s.name; }

class SalvageRead : public ::testing::TestWithParam<Salvage> {};

TEST_P(SalvageRead, givesTheRecordsOfTheIntactBlocksAndTheReport)
{
    REQUIRE_PARADOX_FIXTURES();
    const Salvage& s = GetParam();
    std::string db = fileBytes(fixture(s.db));
    std::string mb = s.mb ? fileBytes(fixture(s.mb)) : std::string();
    if (s.scramble)
        fuzz::scrambleTable(db, s.mb ? &mb : nullptr, s.scramble);
    const auto original = tryRead(db, s.mb ? &mb : nullptr, nullptr);
    ASSERT_TRUE(original.has_value());
    Rows expected;
    for (const auto& [first, last] : s.kept)
        expected.insert(expected.end(), original->begin() + first - 1, original->begin() + last);
    for (const int r : s.nullComments)
        expected[std::size_t(r - 1)][8] = Value();

    s.damage(db, mb);
    const std::string* mbp = s.mb && !s.dropMb ? &mb : nullptr;
    std::string message;
    EXPECT_FALSE(tryRead(db, mbp, &message)) << "a plain read takes the damage silently";
    std::string report;
    const auto salvaged = tryRead(db, mbp, &message, &report);
    ASSERT_TRUE(salvaged.has_value()) << message;
    EXPECT_EQ(*salvaged, expected);
    EXPECT_EQ(report, s.report);
}

void noDamage(std::string&, std::string&) {}

// ORDERS.DB: 8 blocks of 28 records of 71 bytes, chained in file order. CUSTOMER.DB: its
// records 2 to 5 keep their Comments in the .MB, record 4 in a block of its own at 8192.
INSTANTIATE_TEST_SUITE_P(
    Fixtures, SalvageRead,
    ::testing::Values(
        Salvage{"cutShort",
                "db/ORDERS.DB",
                nullptr,
                [](std::string& db, std::string&) { db.resize(fuzz::blockAt(db, 5) + 1000); },
                {{1, 126}},
                {},
                "the file ends inside block 5: 3 blocks missing\n"
                "block 5 of 8: cut off by the end of the file, 14 records lost\n"
                "the header counts 224 records, the blocks hold 126\n"},
        Salvage{"cutAfterABlock",
                "db/ORDERS.DB",
                nullptr,
                [](std::string& db, std::string&) { db.resize(fuzz::blockAt(db, 7)); },
                {{1, 168}},
                {},
                "the file ends after block 6: 2 blocks missing\n"
                "the header counts 224 records, the blocks hold 168\n"},
        Salvage{"scrambledAndCutShort",
                "db/ORDERS.DB",
                nullptr,
                [](std::string& db, std::string&) { db.resize(fuzz::blockAt(db, 5) + 1000); },
                {{1, 122}},
                {}, // only whole chunks of 256 bytes unscramble: 768 of the 1000
                "the file ends inside block 5: 3 blocks missing\n"
                "block 5 of 8: cut off by the end of the file, 18 records lost\n"
                "the header counts 224 records, the blocks hold 122\n",
                false,
                0x2F6A91C4},
        Salvage{"garbageBlockHeader",
                "db/ORDERS.DB",
                nullptr,
                [](std::string& db, std::string&) { fuzz::garbleBlockHeader(db, 3); },
                {{1, 56}, {85, 224}},
                {},
                "block 3 of 8: header unreadable, up to 28 records lost\n"
                "the header counts 224 records, the blocks hold 196\n"},
        Salvage{"impossibleRecordCount",
                "db/ORDERS.DB",
                nullptr,
                [](std::string& db, std::string&) { fuzz::setLastOffset(db, 4, 5 * 71 + 3); },
                {{1, 84}, {113, 224}},
                {},
                "block 4 of 8: its record count does not fit the block, up to 6 records lost\n"
                "the header counts 224 records, the blocks hold 196\n"},
        Salvage{
            "chainLoop",
            "db/ORDERS.DB",
            nullptr,
            [](std::string& db, std::string&) { fuzz::setNextBlock(db, 6, 2); },
            {{1, 224}},
            {},
            "the block chain runs in a circle at block 2: the blocks were read in file order\n"},
        Salvage{"chainOutOfTheFile",
                "db/ORDERS.DB",
                nullptr,
                [](std::string& db, std::string&) { fuzz::setNextBlock(db, 3, 40); },
                {{1, 224}},
                {},
                "the block chain leads to block 40 but the file has 8 blocks: the blocks were "
                "read in file order\n"},
        Salvage{"chainSkippingBlocks",
                "db/ORDERS.DB",
                nullptr,
                [](std::string& db, std::string&) { fuzz::setNextBlock(db, 2, 5); },
                {{1, 224}},
                {},
                "the block chain is broken at block 5: the blocks were read in file order\n"},
        Salvage{"headerCountTooHigh",
                "db/ORDERS.DB",
                nullptr,
                [](std::string& db, std::string&) { fuzz::setRecordCount(db, 300); },
                {{1, 224}},
                {},
                "the header counts 300 records, the blocks hold 224\n"},
        Salvage{"unreadableValue",
                "fields/time.db",
                nullptr,
                [](std::string& db, std::string&) {
                    bytes::putLe32(fuzz::bytesAt(db, fuzz::blockAt(db, 1) + 6), 0x804A5D85);
                },
                {{2, 3}},
                {},
                "1 record lost: record 1, field Time: the time 90000000 ms is not a time of day\n"},
        Salvage{"memoFileMissing",
                "db/CUSTOMER.DB",
                "db/CUSTOMER.MB",
                noDamage,
                {{1, 20}},
                {2, 3, 4, 5},
                "4 memo values of field Comments lost: T.MB is missing\n",
                true},
        Salvage{"memoFileCutShort",
                "db/CUSTOMER.DB",
                "db/CUSTOMER.MB",
                [](std::string&, std::string& mb) { mb.resize(8192); },
                {{1, 20}},
                {4},
                "1 memo value of field Comments lost: T.MB is cut short\n"},
        Salvage{"memoBlockDamaged",
                "db/CUSTOMER.DB",
                "db/CUSTOMER.MB",
                [](std::string&, std::string& mb) { mb[4096] = 7; },
                {{1, 20}},
                {2, 3, 5},
                "3 memo values of field Comments lost: T.MB is damaged\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(UndamagedTables, readWithSalvageAsTheyReadPlainWithoutReport)
{
    REQUIRE_PARADOX_FIXTURES();
    for (const std::string& table : test::fixtureTables()) {
        ReadOptions salvage;
        salvage.salvage = true;
        const auto reader = TableReader::open(fixture(table), salvage);
        Rows rows;
        std::vector<Value> row;
        while (reader->next(row))
            rows.push_back(row);
        EXPECT_EQ(rows, test::readAll(fixture(table))) << table;
        EXPECT_EQ(reader->damage()->text(), "") << table;
    }
}

} // namespace
} // namespace paradox

// Inputs the fuzzer once found harmful, read as the fuzz target reads them.
TEST(FuzzFindings, readCleanlyOrFailWithAnError)
{
    const std::filesystem::path folder = TABULEX_PARADOX_REGRESSIONS_DIR;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream f(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(f)),
                                std::istreambuf_iterator<char>());
        paradox::fuzz::readAll(paradox::fuzz::split(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        ++files;
    }
    EXPECT_GE(files, 1);
}
