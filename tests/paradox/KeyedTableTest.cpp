// Keyed tables: records in key order, the .PX read back through pxlib (its index reader and
// its records) and through our index reader, every key found by walking the tree down.
#include "TestSupport.h"

#include "paradox/ByteSource.h"
#include "paradox/Error.h"
#include "paradox/Header.h"
#include "paradox/PrimaryIndex.h"
#include "paradox/TableFiles.h"
#include "paradox/TableShape.h"
#include "paradox/ValidityFile.h"

extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <numeric>
#include <random>

namespace paradox {
namespace {

namespace fs = std::filesystem;

using test::fileBytes;
using test::readAll;
using test::Rows;
using test::TempDir;

struct RawRecord {
    int block;
    std::string key;
};

// The records of a .db in chain order with their block numbers, read by the test itself.
std::vector<RawRecord> rawRecords(const fs::path& db, int keyWidth)
{
    const std::string f = fileBytes(db);
    auto u16 = [&](std::size_t at) {
        return int(std::uint8_t(f[at]) | std::uint8_t(f[at + 1]) << 8);
    };
    const int rs = u16(0), hs = u16(2), bs = std::uint8_t(f[5]) * 1024;
    std::vector<RawRecord> out;
    for (int b = u16(0x0E); b != 0;) {
        const std::size_t at = std::size_t(hs) + std::size_t(b - 1) * std::size_t(bs);
        const int n = std::int16_t(u16(at + 4)) / rs + 1;
        for (int i = 0; i < n; ++i)
            out.push_back({b, f.substr(at + 6 + std::size_t(i * rs), std::size_t(keyWidth))});
        b = u16(at);
    }
    return out;
}

struct PxlibIndex {
    pxdoc_t* doc = nullptr;
    int root = 0;
    int levels = 0;
    std::map<int, std::vector<const pxpindex_t*>> blocks; // entries by .PX block
    ~PxlibIndex()
    {
        if (doc)
            PX_delete(doc);
    }
};

void readPxlibIndex(const fs::path& px, PxlibIndex& index)
{
    index.doc = PX_new();
    FILE* f = std::fopen(px.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(PX_open_fp(index.doc, f), 0);
    ASSERT_EQ(PX_read_primary_index(index.doc), 0);
    index.root = index.doc->px_head->px_indexroot;
    index.levels = index.doc->px_head->px_numindexlevels;
    const auto* entries = static_cast<const pxpindex_t*>(index.doc->px_data);
    for (int i = 0; i < index.doc->px_head->px_numrecords; ++i)
        index.blocks[entries[i].myblocknumber].push_back(&entries[i]);
}

// The data block pxlib's entries lead to from the root: the last entry not above the key.
int descend(const PxlibIndex& index, const std::string& key)
{
    int block = index.root;
    for (int level = index.levels; level >= 1; --level) {
        const pxpindex_t* pick = nullptr;
        for (const pxpindex_t* e : index.blocks.at(block)) {
            if (std::memcmp(e->data, key.data(), key.size()) > 0)
                break;
            pick = e;
        }
        if (!pick)
            return 0;
        block = pick->blocknumber;
    }
    return block;
}

// Checks the written table and its .PX: strict key order, every key found by pxlib's entries
// and by our index, the counts, and (up to two levels, pxlib's limit) pxlib's own use of it.
void checkKeyedTable(const fs::path& db, int keyWidth, std::size_t rows, int expectedLevels)
{
    const auto px = findCompanion(db, "PX");
    ASSERT_TRUE(px.has_value());
    const auto records = rawRecords(db, keyWidth);
    ASSERT_EQ(records.size(), rows);
    for (std::size_t i = 1; i < records.size(); ++i)
        ASSERT_LT(records[i - 1].key, records[i].key) << "record " << i;

    PxlibIndex index;
    readPxlibIndex(*px, index);
    EXPECT_EQ(index.levels, expectedLevels);
    const PrimaryIndex ours = PrimaryIndex::read(*px);
    EXPECT_EQ(ours.levels(), expectedLevels);
    int covered = 0;
    for (const auto* leaf : ours.leaves())
        covered += leaf->count;
    EXPECT_EQ(std::size_t(covered), rows);
    for (const RawRecord& r : records) {
        ASSERT_EQ(descend(index, r.key), r.block);
        ASSERT_EQ(ours.dataBlockFor(reinterpret_cast<const unsigned char*>(r.key.data())),
                  std::optional<int>(r.block));
    }
    if (expectedLevels > 2)
        return;
    // pxlib takes the index for the table and reads every record through it.
    pxdoc_t* table = PX_new();
    FILE* f = std::fopen(db.c_str(), "rb");
    ASSERT_EQ(PX_open_fp(table, f), 0);
    ASSERT_EQ(PX_add_primary_index(table, index.doc), 0);
    index.doc = nullptr; // the table owns it now
    std::vector<char> data(std::size_t(PX_get_recordsize(table)));
    for (int r = 0; r < int(rows); ++r) {
        int deleted = 0;
        pxdatablockinfo_t info{};
        ASSERT_NE(PX_get_record2(table, r, data.data(), &deleted, &info), nullptr);
        EXPECT_EQ(std::string(data.data(), std::size_t(keyWidth)), records[std::size_t(r)].key);
    }
    PX_delete(table);
}

std::string alpha(int n, std::size_t width)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "Key %07d ", n);
    std::string s = buf;
    while (s.size() < width)
        s += char('a' + (n + int(s.size())) % 26);
    s.resize(width);
    return s;
}

TEST(KeyedTable, rowsInAnyOrderAreWrittenInKeyOrderWithAnIndexPxlibReads)
{
    TempDir dir;
    // Reversed Long keys, and a two-field key (Alpha, Date) in random order with some
    // blank Alpha keys, each forcing the sort; then the one needing three index levels.
    {
        Rows rows;
        for (int i = 6000; i >= 1; --i)
            rows.push_back({Value(i), Value("row " + std::to_string(i))});
        WriteOptions o;
        o.keyFields = 1;
        test::writeTable(dir / "LONGS.DB",
                         {{"Id", FieldType::Long}, {"Name", FieldType::Alpha, 30}}, rows, o);
        checkKeyedTable(dir / "LONGS.DB", 4, rows.size(), 1);
        const Rows back = readAll(dir / "LONGS.DB");
        for (std::size_t i = 0; i < back.size(); ++i)
            ASSERT_EQ(back[i][0], Value(int(i + 1)));
    }
    {
        Rows rows;
        for (int i = 0; i < 20000; ++i)
            rows.push_back({i % 97 == 0 ? Value() : Value(alpha(i % 500, 12)),
                            Value(Date{2000 + i / 500, 1 + i % 12, 1 + i % 28}), Value(i)});
        std::shuffle(rows.begin(), rows.end(), std::mt19937(7));
        WriteOptions o;
        o.keyFields = 2;
        o.blockSize = 1024;
        test::writeTable(
            dir / "PAIRS.DB",
            {{"Code", FieldType::Alpha, 12}, {"Day", FieldType::Date}, {"N", FieldType::Long}},
            rows, o);
        checkKeyedTable(dir / "PAIRS.DB", 16, rows.size(), 2);
    }
}

TEST(KeyedTable, aLongAlphaKeyOf200000RowsNeedsThreeLevels)
{
    TempDir dir;
    constexpr int kRows = 200000;
    std::vector<int> order(kRows);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(11));
    WriteOptions o;
    o.keyFields = 1;
    o.blockSize = 4096; // pxlib reads an index in time quadratic in its size
    o.durable = false;
    {
        TableWriter w(dir / "WIDE.DB", {{"Name", FieldType::Alpha, 100}, {"N", FieldType::Long}},
                      o);
        std::vector<Value> row(2);
        for (const int i : order) {
            row[0] = Value(alpha(i, 100));
            row[1] = Value(i);
            w.append(row);
        }
        w.commit();
    }
    checkKeyedTable(dir / "WIDE.DB", 100, kRows, 3);
    auto reader = TableReader::open(dir / "WIDE.DB");
    std::vector<Value> row;
    for (int i = 0; reader->next(row); ++i) {
        ASSERT_EQ(row[0], Value(alpha(i, 100)));
        ASSERT_EQ(row[1], Value(i));
    }
    const TableShape shape = readTableShape(dir / "WIDE.DB");
    EXPECT_EQ(shape.keyFields, 1);
    EXPECT_TRUE(shape.hasPrimaryIndex);
}

TEST(KeyedTable, theHeadersSayKeyedAndTheIndexStampMatchesTheTable)
{
    TempDir dir;
    WriteOptions o;
    o.keyFields = 1;
    test::writeTable(dir / "T.db", {{"Id", FieldType::AutoIncrement}, {"V", FieldType::Alpha, 5}},
                     {{Value(3), Value("c")}, {Value(1), Value("a")}, {Value(9), Value("z")}}, o);
    const std::string db = fileBytes(dir / "T.db");
    const std::string px = fileBytes(dir / "T.px");
    EXPECT_EQ(db[0x04], 0); // keyed
    EXPECT_EQ(db[0x23], 1); // one key field
    EXPECT_NE(db.substr(0x16, 4), std::string(4, '\0'));
    EXPECT_EQ(px[0x04], 1);
    EXPECT_EQ(px[0x2C], db[0x2D]); // the stamp that "index out of date" checks
    EXPECT_EQ(px[0x12], db[0x12] + 1);
    EXPECT_EQ(px.substr(0x58, 2), db.substr(0x78, 2)); // the key field's descriptor
    const TableShape shape = readTableShape(dir / "T.db");
    EXPECT_EQ(shape.autoIncrementFields, std::vector<int>{0});
    EXPECT_EQ(shape.lastAutoIncrement, 9u);
    // An empty keyed table has an empty index.
    test::writeTable(dir / "E.db", {{"Id", FieldType::Long}}, {}, o);
    const PrimaryIndex empty = PrimaryIndex::read(dir / "E.px");
    EXPECT_EQ(empty.levels(), 0);
    EXPECT_TRUE(readAll(dir / "E.db").empty());
}

TEST(KeyedTable, duplicateKeysAndImpossibleKeysAreRefusedAndNothingIsPlaced)
{
    TempDir dir;
    WriteOptions o;
    o.keyFields = 1;
    const std::vector<FieldDefinition> fields{{"K", FieldType::Alpha, 4}, {"N", FieldType::Long}};
    {
        TableWriter w(dir / "A.DB", fields, o);
        w.append({Value("a"), Value(1)});
        EXPECT_THROW(w.append({Value("a"), Value(2)}), Error); // in order: at once
        w.append({Value("b"), Value(3)});
        w.commit();
    }
    EXPECT_EQ(readAll(dir / "A.DB").size(), 2u);
    {
        TableWriter w(dir / "B.DB", fields, o);
        for (const char* k : {"c", "a", "b", "a"})
            w.append({Value(k), Value(0)});
        try {
            w.commit(); // out of order: when sorted
            ADD_FAILURE() << "a duplicate key was written";
        } catch (const Error& e) {
            EXPECT_EQ(e.cause(), "two rows have the same key (K = 'a')");
        }
    }
    EXPECT_FALSE(findTableFile(dir.path(), "B").has_value());
    EXPECT_FALSE(fs::exists(dir / "B.PX"));
    EXPECT_THROW(TableWriter(dir / "C.DB", {{"M", FieldType::Memo, 20}}, o), Error);
    WriteOptions cyrillic = o;
    cyrillic.codePage = 1251;
    EXPECT_THROW(TableWriter(dir / "D.DB", fields, cyrillic), Error);
    WriteOptions tooMany = o;
    tooMany.keyFields = 3;
    EXPECT_THROW(TableWriter(dir / "E.DB", fields, tooMany), Error);
}

TEST(KeyedTable, requiredFieldsComeFromTheValidityFileWhereItSaysSo)
{
    REQUIRE_PARADOX_FIXTURES();
    // logical.val: a required field with a default; AREACODE.VAL: two pictures only.
    EXPECT_EQ(readTableShape(test::fixture("fields/logical.db")).required, std::vector<bool>{true});
    const TableShape areas = readTableShape(test::fixture("db/AREACODE.DB"));
    EXPECT_EQ(areas.required, std::vector<bool>(4, false));
    EXPECT_EQ(areas.keyFields, 1);
    EXPECT_TRUE(areas.hasPrimaryIndex);
    // A .VAL that names other fields, or another change count, marks nothing.
    FileSource val(test::fixture("fields/logical.val"));
    FileSource db(test::fixture("fields/logical.db"));
    const TableHeader header = readHeader(db, "logical.db");
    EXPECT_EQ(readRequiredFields(val, header, 0), std::vector<bool>{false});
    TableHeader renamed = header;
    renamed.fields[0].name = "OTHER";
    EXPECT_EQ(readRequiredFields(val, renamed, 131), std::vector<bool>{false});
}

} // namespace
} // namespace paradox
