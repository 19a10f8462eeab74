// The writer: Paradox 5.x tables that read back exactly, refusals that name the column, and
// files that appear under the table's name only when complete.
#include "TestSupport.h"

#include "paradox/BlockSize.h"
#include "paradox/ByteOrder.h"
#include "paradox/Error.h"
#include "paradox/FolderLock.h"
#include "paradox/OutputFile.h"

#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>

namespace paradox {
namespace {

using test::fileBytes;
using test::readAll;
using test::Rows;
using test::TempDir;

std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

const std::vector<FieldDefinition> kEveryType{{"Id", FieldType::AutoIncrement},
                                              {"Name", FieldType::Alpha, 40},
                                              {"Count", FieldType::Short},
                                              {"Total", FieldType::Long},
                                              {"Ratio", FieldType::Number},
                                              {"Price", FieldType::Money},
                                              {"Amount", FieldType::Bcd, 4},
                                              {"Born", FieldType::Date},
                                              {"Alarm", FieldType::Time},
                                              {"Seen", FieldType::Timestamp},
                                              {"Paid", FieldType::Logical},
                                              {"Code", FieldType::Bytes, 6},
                                              {"Notes", FieldType::Memo, 30},
                                              {"Data", FieldType::Blob, 10},
                                              {"Styled", FieldType::FormattedMemo, 10},
                                              {"Object", FieldType::Ole, 20},
                                              {"Picture", FieldType::Graphic, 40}};

std::vector<Value> everyTypeRow(int i)
{
    const std::string memo(std::size_t(i % 7 == 0 ? 3000 : i % 50), char('a' + i % 26));
    return {Value(),
            Value("name " + std::to_string(i) + " Ünïcødé €"),
            Value(i % 2 ? -i : i),
            Value(std::int64_t(i) * 100003),
            Value(i / 7.0),
            Value(i * 0.01),
            Value(Decimal{std::to_string(i) + ".0125"}),
            Value(Date{1800 + i % 400, 1 + i % 12, 1 + i % 28}),
            Value(Time{i % 24, i % 60, (i * 7) % 60, i % 1000}),
            Value(Timestamp{{2038 + i % 50, 2, 28}, {23, 59, 59, 999 - i % 1000}}),
            Value(i % 3 == 0),
            Value(Bytes{std::string("\x01\x02\x03", 3) + char(i)}),
            Value(memo),
            Value(Bytes{std::string(std::size_t(i % 9 * 300), '\x7f')}),
            i % 4 ? Value(Bytes{"{\\rtf1 " + std::to_string(i) + "}"}) : Value(),
            Value(Bytes{std::string(std::size_t(i % 5 * 11), 'o')}),
            Value(Bytes{"BM" + std::string(std::size_t(i % 3 * 1500), 'p')})};
}

// What the table gives back: the Autoincrement numbers, Bytes padded to their size, and
// NULL where an empty text or binary value was written.
std::vector<Value> readBackOf(std::vector<Value> row, int id)
{
    row[0] = Value(id);
    if (!row[11].isNull()) {
        std::string code = row[11].toBytes().data;
        code.resize(6, '\0');
        row[11] = Value(Bytes{code});
    }
    for (std::size_t i : {12u, 13u, 15u})
        if ((row[i].kind() == Value::Kind::Text && row[i].toText().empty()) ||
            (row[i].kind() == Value::Kind::Bytes && row[i].toBytes().data.empty()))
            row[i] = Value();
    return row;
}

class EveryTypeRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(EveryTypeRoundTrip, readsBackEveryValueAcrossManyBlocks)
{
    TempDir dir;
    WriteOptions options;
    options.blockSize = GetParam();
    options.durable = false;
    Rows rows;
    for (int i = 0; i < 300; ++i)
        rows.push_back(everyTypeRow(i));
    rows.push_back(std::vector<Value>(kEveryType.size(), Value()));
    test::writeTable(dir / "EVERY.DB", kEveryType, rows, options);

    const Rows back = readAll(dir / "EVERY.DB");
    ASSERT_EQ(back.size(), rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto expected = readBackOf(rows[r], int(r) + 1);
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(back[r][i], expected[i]) << "record " << r + 1 << " " << kEveryType[i].name;
    }
    const auto reader = TableReader::open(dir / "EVERY.DB");
    EXPECT_EQ(reader->header().blockSize, GetParam());
    EXPECT_EQ(reader->header().autoIncrement, rows.size());
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"EVERY.DB", "EVERY.MB"}));
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, EveryTypeRoundTrip, ::testing::Values(1024, 2048, 4096));

TEST(WrittenFiles, carryTheParadox5Header)
{
    TempDir dir;
    test::writeTable(dir / "ORDERS.db",
                     {{"Order No", FieldType::Long}, {"Memo", FieldType::Memo, 20}},
                     {{Value(1), Value(std::string(5000, 'm'))}});
    const std::string db = fileBytes(dir / "ORDERS.db");
    const auto* h = reinterpret_cast<const unsigned char*>(db.data());
    EXPECT_EQ(bytes::le16(h + 0x02), 0x800);
    EXPECT_EQ(h[0x04], 2) << "unkeyed";
    EXPECT_EQ(h[0x05], 4) << "4 KB blocks";
    EXPECT_EQ(bytes::le32(h + 0x06), 1u);
    EXPECT_EQ(bytes::le16(h + 0x0C), 1) << "blocks";
    EXPECT_EQ(bytes::le16(h + 0x0E), 1) << "first block";
    EXPECT_EQ(bytes::le16(h + 0x10), 1) << "last block";
    EXPECT_EQ(bytes::le32(h + 0x25), 0xFF00FF00u);
    EXPECT_EQ(h[0x29], 0x62) << "ANSIINTL";
    EXPECT_EQ(h[0x39], 0x0B) << "Paradox 5.x";
    EXPECT_EQ(bytes::le16(h + 0x58), 0x010B);
    EXPECT_EQ(bytes::le16(h + 0x5A), 0x010B);
    EXPECT_EQ(bytes::le16(h + 0x6A), 1252);
    // 0x78 + descriptors, pointers, 79-byte table name, names, field numbers, "ANSIINTL\0"
    const std::size_t names = std::string("Order No").size() + 1 + std::string("Memo").size() + 1;
    const std::size_t real = 0x78 + 2 * 2 + 4 + 4 * 2 + 79 + names + 2 * 2 + 9;
    EXPECT_EQ(bytes::le16(h + 0x51), real);
    EXPECT_EQ(db.substr(real - 9, 9), std::string("ANSIINTL", 9));
    EXPECT_EQ(db.size(), 0x800u + 4096);

    const std::string mb = fileBytes(dir / "ORDERS.mb");
    EXPECT_EQ(mb.size() % 4096, 0u) << "memo blocks are padded to 4 KB";
    EXPECT_EQ(mb.substr(0, 5), std::string("\0\1\0\1\0", 5));
    EXPECT_EQ(mb.substr(0x29, 2), "\xA1\x02");
}

TEST(CodePages, textGoesOutInTheCodePageTheWriterIsGiven)
{
    TempDir dir;
    WriteOptions cyrillic;
    cyrillic.codePage = 1251;
    test::writeTable(dir / "RU.DB",
                     {{"Имя", FieldType::Alpha, 10}, {"Заметка", FieldType::Memo, 11}},
                     {{Value("Жанна"), Value("Привет, мир")}}, cyrillic);
    const auto reader = TableReader::open(dir / "RU.DB");
    EXPECT_EQ(reader->header().codePage, 1251);
    EXPECT_EQ(reader->header().sortOrderName, "ancyrr");
    EXPECT_EQ(reader->header().fields[0].name, "Имя");
    EXPECT_EQ(readAll(dir / "RU.DB"), (Rows{{Value("Жанна"), Value("Привет, мир")}}));
    EXPECT_NE(fileBytes(dir / "RU.DB").find("\xC6\xE0\xED\xED\xE0"), std::string::npos)
        << "one byte per letter, as code page 1251 writes Жанна";
}

TEST(CodePages, aCharacterTheCodePageLacksIsAnErrorNamingTheColumn)
{
    TempDir dir;
    TableWriter writer(dir / "T.DB",
                       {{"City", FieldType::Alpha, 20}, {"Note", FieldType::Memo, 20}});
    EXPECT_EQ(errorOf([&] {
                  writer.append({Value("Москва"), Value()});
              }),
              "T.DB: column City: the character U+041C 'М' cannot be written in code page 1252");
    EXPECT_EQ(errorOf([&] {
                  writer.append({Value("Köln"), Value("日本")});
              }),
              "T.DB: column Note: the character U+65E5 '日' cannot be written in code page 1252");
    EXPECT_EQ(errorOf([&] {
                  writer.append({Value("\xff"), Value()});
              }),
              "T.DB: column City: the text is not valid UTF-8");
    writer.append({Value("Köln"), Value("Dom")});
    writer.commit();
    EXPECT_EQ(readAll(dir / "T.DB"), (Rows{{Value("Köln"), Value("Dom")}}))
        << "refused rows leave no trace";
}

TEST(CodePages, alphaLengthCountsTheBytesAfterConversion)
{
    TempDir dir;
    WriteOptions chinese;
    chinese.codePage = 936;
    TableWriter writer(dir / "CN.DB", {{"Word", FieldType::Alpha, 4}}, chinese);
    writer.append({Value("中文")}); // 4 bytes in code page 936, 6 in UTF-8
    EXPECT_EQ(errorOf([&] { writer.append({Value("中文字")}); }),
              "CN.DB: column Word: the value takes 6 bytes in code page 936, more than the "
              "field's 4");
    writer.commit();
    EXPECT_EQ(readAll(dir / "CN.DB"), (Rows{{Value("中文")}}));

    TableWriter latin(dir / "FR.DB", {{"Word", FieldType::Alpha, 4}});
    latin.append({Value("éèêë")}); // 8 bytes in UTF-8, 4 in code page 1252
    latin.commit();
    EXPECT_EQ(readAll(dir / "FR.DB"), (Rows{{Value("éèêë")}}));
}

TEST(CodePages, withoutALanguageDriverAreRefused)
{
    TempDir dir;
    WriteOptions baltic;
    baltic.codePage = 1257;
    EXPECT_EQ(errorOf([&] {
                  TableWriter(dir / "B.DB", {{"A", FieldType::Alpha, 1}}, baltic);
              }),
              "B.DB: code page 1257 is not supported for writing");
}

TEST(ValueChecks, refuseWhatAFieldCannotHoldAndNameTheColumn)
{
    TempDir dir;
    const std::vector<FieldDefinition> fields{
        {"S", FieldType::Short},    {"L", FieldType::Long},     {"N", FieldType::Number},
        {"B", FieldType::Bcd, 2},   {"D", FieldType::Date},     {"T", FieldType::Time},
        {"A", FieldType::Alpha, 3}, {"Y", FieldType::Bytes, 2}, {"Q", FieldType::Logical}};
    TableWriter writer(dir / "V.DB", fields);
    const auto with = [&](std::size_t i, Value v) {
        std::vector<Value> row(fields.size());
        row[i] = std::move(v);
        return errorOf([&] { writer.append(row); });
    };
    EXPECT_EQ(with(0, Value(32768)), "V.DB: column S: the value 32768 is outside the range of a "
                                     "Short field (-32767 to 32767)");
    EXPECT_EQ(with(0, Value(-32768)), "V.DB: column S: the value -32768 is outside the range of "
                                      "a Short field (-32767 to 32767)");
    EXPECT_EQ(with(1, Value(std::int64_t(1) << 31)),
              "V.DB: column L: the value 2147483648 is outside the range of a Long Integer field "
              "(-2147483647 to 2147483647)");
    EXPECT_EQ(with(1, Value(1.5)),
              "V.DB: column L: Double values cannot be stored in a field of type Long Integer");
    EXPECT_EQ(with(2, Value(std::nan(""))), "V.DB: column N: only finite numbers can be stored");
    EXPECT_EQ(with(2, Value((std::int64_t(1) << 53) + 1)),
              "V.DB: column N: the integer 9007199254740993 has more digits than a "
              "floating-point field keeps");
    EXPECT_EQ(with(3, Value(Decimal{"1.005"})),
              "V.DB: column B: the value 1.005 cannot be stored: it has more decimals than the "
              "field's 2");
    EXPECT_EQ(with(4, Value(Date{2021, 2, 29})),
              "V.DB: column D: not a date between the years 1 and 9999");
    EXPECT_EQ(with(4, Value(Date{0, 12, 31})),
              "V.DB: column D: not a date between the years 1 and 9999");
    EXPECT_EQ(with(5, Value(Time{24, 0, 0, 0})), "V.DB: column T: not a time of day");
    EXPECT_EQ(with(6, Value("abcd")), "V.DB: column A: the value takes 4 bytes in code page "
                                      "1252, more than the field's 3");
    EXPECT_EQ(with(6, Value(std::string("a\0b", 3))),
              "V.DB: column A: an Alpha value cannot hold the character U+0000");
    EXPECT_EQ(with(7, Value(Bytes{"abc"})),
              "V.DB: column Y: the value has 3 bytes, more than the field's 2");
    EXPECT_EQ(with(8, Value(1)),
              "V.DB: column Q: Integer values cannot be stored in a field of type Logical");
    EXPECT_EQ(errorOf([&] { writer.append({Value(1)}); }), "V.DB: a row of 1 values for 9 fields");
}

TEST(ValueChecks, acceptExactConversions)
{
    TempDir dir;
    test::writeTable(
        dir / "C.DB",
        {{"S", FieldType::Short},
         {"N", FieldType::Number},
         {"B", FieldType::Bcd, 3},
         {"TS", FieldType::Timestamp}},
        {{Value(12.0), Value(Decimal{"-0.5"}), Value(std::int64_t(-7)), Value(Date{1899, 12, 30})},
         {Value(), Value(std::int64_t(1) << 53), Value(2.25), Value()}});
    EXPECT_EQ(readAll(dir / "C.DB"),
              (Rows{{Value(12), Value(-0.5), Value(Decimal{"-7.000"}),
                     Value(Timestamp{{1899, 12, 30}, {}})},
                    {Value(), Value(9007199254740992.0), Value(Decimal{"2.250"}), Value()}}));
}

TEST(FieldChecks, refuseWhatAParadox5TableCannotHave)
{
    TempDir dir;
    const auto create = [&](std::vector<FieldDefinition> fields) {
        return errorOf([&] { TableWriter(dir / "F.DB", std::move(fields)); });
    };
    EXPECT_EQ(create({}), "F.DB: a table has 1 to 255 fields, not 0");
    EXPECT_EQ(create(std::vector<FieldDefinition>(256, {"A", FieldType::Logical})),
              "F.DB: a table has 1 to 255 fields, not 256");
    EXPECT_EQ(create({{"", FieldType::Short}}), "F.DB: a field has no name");
    EXPECT_EQ(create({{"ABCDEFGHIJKLMNOPQRSTUVWXYZ", FieldType::Short}}),
              "F.DB: column ABCDEFGHIJKLMNOPQRSTUVWXYZ: a Paradox field name has at most 25 "
              "characters");
    EXPECT_EQ(create({{"Name", FieldType::Short}, {"NAME", FieldType::Long}}),
              "F.DB: column NAME: the name is used twice");
    EXPECT_EQ(create({{"Имя", FieldType::Short}}),
              "F.DB: column Имя: the name cannot be written in code page 1252");
    EXPECT_EQ(create({{"A", FieldType::Alpha, 0}}),
              "F.DB: column A: a field of type Alpha cannot have the size 0");
    EXPECT_EQ(create({{"A", FieldType::Alpha, 256}}),
              "F.DB: column A: a field of type Alpha cannot have the size 256");
    EXPECT_EQ(create({{"M", FieldType::Memo, 10}}),
              "F.DB: column M: a field of type Memo cannot have the size 10");
    EXPECT_EQ(create({{"B", FieldType::Bcd, 33}}),
              "F.DB: column B: a field of type BCD cannot have the size 33");
    std::vector<FieldDefinition> wide;
    for (int i = 0; i < 17; ++i)
        wide.push_back({"Text" + std::to_string(i), FieldType::Alpha, 255});
    EXPECT_EQ(create(wide), "F.DB: a record of 4335 bytes does not fit a block of 4096 bytes");
    EXPECT_EQ(dir.names(), std::vector<std::string>{}) << "nothing is left behind";
}

TEST(BlockSizes, areTheSmallestAllowedThatHoldTheRecordAndTheRows)
{
    // A 275-byte record: 3 to a 1 KB block, 7 to 2 KB, 14 to 4 KB, 59 to 16 KB, 119 to 32 KB;
    // a table has at most 65,535 blocks.
    struct Case {
        int recordSize;
        std::uint64_t rows;
        std::optional<int> blockSize;
    };
    constexpr std::uint64_t kBlocks = 65535;
    for (const Case& c :
         {Case{275, 0, 1024}, Case{275, kBlocks * 3, 1024}, Case{275, kBlocks * 3 + 1, 2048},
          Case{275, kBlocks * 14, 4096}, Case{275, kBlocks * 14 + 1, 16384},
          Case{275, 1'200'000, 16384}, Case{275, kBlocks * 59 + 1, 32768},
          Case{275, kBlocks * 119, 32768}, Case{275, kBlocks * 119 + 1, std::nullopt},
          Case{1018, 1, 1024}, Case{1019, 1, 2048}, Case{4091, 1, 16384},
          Case{32762, kBlocks, 32768}, Case{32763, 0, std::nullopt}})
        EXPECT_EQ(blockSizeFor(c.recordSize, c.rows), c.blockSize)
            << c.recordSize << " bytes, " << c.rows << " rows";
}

TEST(AnnouncedRows, aTableNoBlockSizeHoldsIsRefusedBeforeAnythingIsWritten)
{
    TempDir dir;
    const std::vector<FieldDefinition> fields{{"Name", FieldType::Alpha, 255},
                                              {"Amount", FieldType::Number},
                                              {"Id", FieldType::Long},
                                              {"Seen", FieldType::Timestamp}};
    WriteOptions options;
    options.rows = 65535ull * 119 + 1;
    const std::string message = "BIG.DB: 7,798,666 rows do not fit a Paradox table: its 65,535 "
                                "blocks of 32 KB hold at most 7,798,665 records of 275 bytes";
    EXPECT_EQ(errorOf([&] { requireBlockSize("BIG.DB", fields, *options.rows); }), message);
    EXPECT_EQ(errorOf([&] { TableWriter(dir / "BIG.DB", fields, options); }), message);
    std::vector<FieldDefinition> huge(129, {"", FieldType::Alpha, 255});
    for (std::size_t i = 0; i < huge.size(); ++i)
        huge[i].name = "T" + std::to_string(i);
    options.rows = 1;
    EXPECT_EQ(errorOf([&] { TableWriter(dir / "WIDE.DB", huge, options); }),
              "WIDE.DB: a record of 32895 bytes does not fit a block of 32768 bytes, the largest "
              "a Paradox table has");
    EXPECT_EQ(dir.names(), std::vector<std::string>{});
}

TEST(AnnouncedRows, moreRowsThanAnnouncedFailAndPublishNothing)
{
    TempDir dir;
    WriteOptions options;
    options.rows = 2;
    {
        TableWriter writer(dir / "TWO.DB", {{"N", FieldType::Long}}, options);
        EXPECT_EQ(writer.blockSize(), 1024);
        writer.append({Value(1)});
        writer.append({Value(2)});
        const std::string message = "TWO.DB: more rows came than the 2 announced; the table is "
                                    "not written";
        EXPECT_EQ(errorOf([&] { writer.append({Value(3)}); }), message);
        EXPECT_EQ(errorOf([&] { writer.commit(); }), message);
    }
    EXPECT_EQ(dir.names(), std::vector<std::string>{});
}

TEST(AtomicWrites, anUncommittedTableLeavesNoFileBehind)
{
    TempDir dir;
    {
        TableWriter writer(dir / "HALF.DB", {{"N", FieldType::Long}, {"M", FieldType::Memo, 11}});
        for (int i = 0; i < 5000; ++i)
            writer.append({Value(i), Value(std::string(3000, 'x'))});
        EXPECT_EQ(dir.names().size(), 2u) << "a .db and a .MB under temporary names";
        for (const std::string& name : dir.names())
            EXPECT_EQ(name.substr(0, 6), "~HALF-");
    }
    EXPECT_EQ(dir.names(), std::vector<std::string>{});
}

TEST(AtomicWrites, anExistingTableIsKeptUnlessReplacingWasAsked)
{
    TempDir dir;
    test::writeTable(dir / "Orders.DB", {{"Old", FieldType::Short}}, {{Value(1)}});
    EXPECT_EQ(errorOf([&] {
                  TableWriter(dir / "ORDERS.db", {{"New", FieldType::Short}});
              }),
              "ORDERS.db: the table already exists");

    // A table of that name that appears while writing is not overwritten either.
    TableWriter late(dir / "LATE.db", {{"New", FieldType::Short}});
    late.append({Value(2)});
    test::writeTable(dir / "late.DB", {{"Other", FieldType::Short}}, {{Value(3)}});
    EXPECT_EQ(errorOf([&] { late.commit(); }), "LATE.db: the table already exists");
    EXPECT_EQ(readAll(dir / "late.DB"), (Rows{{Value(3)}}));
    EXPECT_EQ(readAll(dir / "Orders.DB"), (Rows{{Value(1)}}));
}

// The temporary files of a writer that died go with the next writer in the folder; those of a
// writer still at work, and files named otherwise, stay.
TEST(AtomicWrites, theNextWriterRemovesOnlyTheTemporaryFilesOfDeadRuns)
{
    TempDir dir;
    for (const char* name : {"~DEAD-ABC123.tmp", "~X.db-Z9Z9Z9.tmp", "~notes.tmp", "~A-abc123.tmp"})
        std::ofstream(dir / name) << "left by a run that died";
    TableWriter live(dir / "LIVE.db", {{"N", FieldType::Long}, {"M", FieldType::Memo, 11}});
    live.append({Value(1), Value(std::string(3000, 'x'))});
    const std::vector<std::string> afterFirst = dir.names();
    EXPECT_EQ(afterFirst.size(), 4u); // two of LIVE's, and the two named otherwise
    {
        TableWriter next(dir / "NEXT.db", {{"N", FieldType::Long}});
    }
    EXPECT_EQ(dir.names(), afterFirst);
    live.commit();
    EXPECT_EQ(dir.names(),
              (std::vector<std::string>{"LIVE.db", "LIVE.mb", "~A-abc123.tmp", "~notes.tmp"}));
}

// A writer has the folder to itself from its look for the table to its last rename, so a
// table another run publishes meanwhile is found; and a file never replaces one of its name.
TEST(AtomicWrites, publishingWaitsForOtherWritersAndNeverReplacesAFile)
{
    TempDir dir;
    TableWriter writer(dir / "RACE.db", {{"N", FieldType::Long}, {"M", FieldType::Memo, 11}});
    writer.append({Value(1), Value(std::string(3000, 'a'))});
    auto otherRun = std::make_unique<FolderLock>(dir.path(), FolderLock::Mode::Exclusive);
    std::string error;
    std::thread commit([&] { error = errorOf([&] { writer.commit(); }); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(std::filesystem::exists(dir / "RACE.db"))
        << "published while another writer held the folder";
    std::ofstream(dir / "race.DB") << "the other run's table";
    otherRun.reset();
    commit.join();
    EXPECT_EQ(error, "RACE.db: the table already exists");

    OutputFile file(dir.path(), "RACE", "RACE.db");
    file.append("mine", 4);
    file.finish(false);
    EXPECT_FALSE(file.publish(dir / "race.DB"));
    EXPECT_EQ(fileBytes(dir / "race.DB"), "the other run's table");
}

TEST(AtomicWrites, replacingRemovesTheOldFamilyAndKeepsOtherFiles)
{
    TempDir dir;
    test::writeTable(dir / "ORDERS.DB", {{"Old", FieldType::Memo, 11}}, {{Value("old memo")}});
    for (const char* name : {"ORDERS.PX", "Orders.X02", "ORDERS.Y02", "orders.val", "ORDERS.TV",
                             "ORDERS.XG0", "ORDERS.txt", "ORDERS2.DB"})
        std::ofstream(dir / name) << "x";
    WriteOptions replace;
    replace.replace = true;
    test::writeTable(dir / "Orders.db", {{"New", FieldType::Short}}, {{Value(7)}}, replace);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"ORDERS.txt", "ORDERS2.DB", "Orders.db"}));
    EXPECT_EQ(readAll(dir / "Orders.db"), (Rows{{Value(7)}}));
}

TEST(AtomicWrites, staleCompanionsOfANewTableAreRemoved)
{
    TempDir dir;
    std::ofstream(dir / "NEW.MB") << "stale memo file of a deleted table";
    std::ofstream(dir / "NEW.PX") << "stale index";
    test::writeTable(dir / "NEW.DB", {{"N", FieldType::Short}}, {{Value(1)}});
    EXPECT_EQ(dir.names(), std::vector<std::string>{"NEW.DB"});
}

TEST(EmptyTables, areAHeaderWithoutBlocks)
{
    TempDir dir;
    test::writeTable(dir / "EMPTY.DB", {{"N", FieldType::Short}}, {});
    EXPECT_EQ(fileBytes(dir / "EMPTY.DB").size(), 0x800u);
    EXPECT_EQ(readAll(dir / "EMPTY.DB"), Rows{});
}

} // namespace
} // namespace paradox
