// The faithful mapping through the real tabulex-batch and the stand-in: a table sent away
// and back keeps its key, its autoincrement field and its field types; a server table with
// a primary key becomes a keyed Paradox table with its index.
#include "BatchTestSupport.h"

#include "StandinServer.h"
#include "TestPaths.h"
#include "paradox/CodePage.h"
#include "paradox/PrimaryIndex.h"
#include "paradox/TableFiles.h"
#include "paradox/TableReader.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>

using namespace tabulex;
using namespace tabulex::test;

namespace {

namespace fs = std::filesystem;
using paradox::FieldType;

struct ParadoxTable {
    std::vector<std::string> fields; // "name letter size"
    int keys = 0;
    std::vector<std::vector<paradox::Value>> rows;
};

ParadoxTable readParadox(const fs::path& db)
{
    auto reader = paradox::TableReader::open(db);
    ParadoxTable t;
    for (const paradox::Field& f : reader->header().fields)
        t.fields.push_back(f.name + ' ' + paradox::fieldTypeLetter(f.type) +
                           std::to_string(f.size));
    t.keys = reader->header().fileType == 0 ? reader->header().keyFields : 0;
    std::vector<paradox::Value> row;
    while (reader->next(row))
        t.rows.push_back(row);
    return t;
}

// Money goes to SQL Server rounded to four decimals.
paradox::Value afterTheServer(const paradox::Value& v, const std::string& field)
{
    if (field.back() == '8' && field[field.rfind(' ') + 1] == '$' && !v.isNull())
        return paradox::Value(std::round(v.toDouble() * 10000) / 10000);
    return v;
}

class BatchFaithful : public BatchTest {
protected:
    BatchResult send(const QStringList& tail)
    {
        return batch(QStringList{"send"} + tail + QStringList{"--mapping", "faithful"} +
                     connection());
    }
    std::map<std::string, ParadoxTable> folderTables()
    {
        std::map<std::string, ParadoxTable> out;
        for (const fs::path& f : paradox::listTableFiles(folder().toStdString()))
            out[QString::fromStdString(f.stem().string()).toUpper().toStdString()] = readParadox(f);
        return out;
    }
};

} // namespace

TEST_F(BatchFaithful, fixtureTablesComeBackWithTheirKeysAutoincrementAndFieldTypes)
{
    TABULEX_REQUIRE_FIXTURES();
    copyAllFixtures();
    const auto before = folderTables();
    ASSERT_EQ(send({"--to", "sql", "--all", "--overwrite", "yes"}).exitCode, 0);

    QStringList back;
    for (const auto& [name, t] : before) {
        const QString table = QString::fromStdString(name);
        back << table;
        const auto key =
            server->query(QStringLiteral("EXEC sp_pkeys @table_name = N'%1'").arg(table));
        EXPECT_EQ(int(key.size()), t.keys) << name;
        for (std::size_t i = 0; i < t.fields.size(); ++i) {
            if (t.fields[i].find(" +") == std::string::npos)
                continue;
            std::int64_t highest = 0;
            for (const auto& row : t.rows)
                highest = std::max(highest, row[i].isNull() ? 0 : row[i].toInt());
            const auto current =
                server->query(QStringLiteral("SELECT IDENT_CURRENT('%1')").arg(table));
            EXPECT_EQ(current.at(0).at(0).toText().toLongLong(), highest) << name;
        }
    }
    // AREACODES would be cut to the name of AREACODE.
    back.removeAll(QStringLiteral("AREACODES"));
    for (const fs::path& f : fs::directory_iterator(folder().toStdString()))
        fs::remove(f);
    ASSERT_EQ(send(QStringList{"--to", "paradox", "--cut", "yes"} + back).exitCode, 0);

    const auto after = folderTables();
    for (const QString& table : std::as_const(back)) {
        const std::string name = table.toStdString();
        const ParadoxTable& a = before.at(name);
        const ParadoxTable& b = after.at(table.left(8).toStdString());
        ASSERT_EQ(a.fields.size(), b.fields.size()) << name;
        for (std::size_t i = 0; i < a.fields.size(); ++i)
            EXPECT_EQ(a.fields[i], b.fields[i]) << name;
        EXPECT_EQ(a.keys, b.keys) << name;
        ASSERT_EQ(a.rows.size(), b.rows.size()) << name;
        for (std::size_t r = 0; r < a.rows.size(); ++r)
            for (std::size_t i = 0; i < a.fields.size(); ++i)
                EXPECT_EQ(afterTheServer(a.rows[r][i], a.fields[i]), b.rows[r][i])
                    << name << " row " << r << " field " << a.fields[i];
        if (a.keys == 0)
            continue;
        const auto px = paradox::findCompanion(
            paradox::findTableFile(folder().toStdString(), table.left(8).toStdString()).value(),
            "PX");
        ASSERT_TRUE(px) << name;
        int covered = 0;
        const paradox::PrimaryIndex index = paradox::PrimaryIndex::read(*px);
        for (const auto* leaf : index.leaves())
            covered += leaf->count;
        EXPECT_EQ(std::size_t(covered), b.rows.size()) << name;
    }
}

TEST_F(BatchFaithful, aServerKeyNotFirstAndAnIdentityMakeAKeyedTableKeyFieldsFirst)
{
    server->execute(QStringLiteral(
        "CREATE TABLE [Shapes]([note] NVARCHAR(40), [id] INT IDENTITY(1,1) NOT NULL, [code] "
        "VARCHAR(12) NOT NULL, [region] SMALLINT NOT NULL, [amount] MONEY, [price] "
        "DECIMAL(12,3), [ratio] FLOAT, [flag] BIT, [day] DATE, [at] TIME(3), [seen] "
        "DATETIME2(3), [raw] BINARY(4), [blob] VARBINARY(MAX), [memo] NVARCHAR(MAX), "
        "CONSTRAINT [PK_Shapes] PRIMARY KEY ([region],[code]))"));
    server->execute(QStringLiteral(
        "SET IDENTITY_INSERT [Shapes] ON; INSERT INTO [Shapes] "
        "([note],[id],[code],[region],[amount],[price],[ratio],[flag],[day],[at],[seen],[raw],"
        "[blob],[memo]) VALUES (N'first',10,'b',2,12.3456,123456789.125,0.1,1,'2024-02-29',"
        "'13:45:30.123','2024-02-29 13:45:30.123',0x01020304,0xDEADBEEF,N'long text'),"
        "(NULL,3,'A',2,-1,-0.5,-1e300,0,'0001-01-01','00:00:00','9999-12-31 23:59:59.999',NULL,"
        "NULL,NULL),(N'third',7,'a',1,0,0,0,NULL,NULL,NULL,NULL,0x00000001,NULL,NULL); "
        "SET IDENTITY_INSERT [Shapes] OFF"));
    const BatchResult run = send({"--to", "paradox", "Shapes"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(
        QStringLiteral("The key fields region, code of Shapes come first in the Paradox table")));

    const ParadoxTable t = readParadox(folder().toStdString() + "/Shapes.db");
    const std::vector<std::string> fields{
        "region S2", "code A12", "note A40", "id +4",   "amount $8", "price #3", "ratio N8",
        "flag L1",   "day D4",   "at T4",    "seen @8", "raw Y4",    "blob B10", "memo M11"};
    EXPECT_EQ(t.fields, fields);
    EXPECT_EQ(t.keys, 2);
    ASSERT_EQ(t.rows.size(), 3u);
    // Key order: (1, 'a'), (2, 'A'), (2, 'b'), byte order under the 'ascii' ANSI driver.
    EXPECT_EQ(t.rows[0][1], paradox::Value("a"));
    EXPECT_EQ(t.rows[1][1], paradox::Value("A"));
    const auto& first = t.rows[2];
    EXPECT_EQ(first[3], paradox::Value(10));
    EXPECT_EQ(first[4], paradox::Value(12.3456));
    EXPECT_EQ(first[5], paradox::Value(paradox::Decimal{"123456789.125"}));
    EXPECT_EQ(first[7], paradox::Value(true));
    EXPECT_EQ(first[8], paradox::Value(paradox::Date{2024, 2, 29}));
    EXPECT_EQ(first[9], paradox::Value(paradox::Time{13, 45, 30, 123}));
    EXPECT_EQ(first[10], paradox::Value(paradox::Timestamp{{2024, 2, 29}, {13, 45, 30, 123}}));
    EXPECT_EQ(first[11], paradox::Value(paradox::Bytes{std::string("\1\2\3\4", 4)}));
    EXPECT_EQ(t.rows[1][6], paradox::Value(-1e300));
    const auto px = paradox::findCompanion(folder().toStdString() + "/Shapes.db", "PX");
    ASSERT_TRUE(px);
    EXPECT_EQ(paradox::PrimaryIndex::read(*px).levels(), 1);
}

TEST_F(BatchFaithful, twoHundredThousandRowsKeyedOnALongTextGetAThreeLevelIndex)
{
    server->execute(
        QStringLiteral("CREATE TABLE [Wide]([n] FLOAT, [k] VARCHAR(100) NOT NULL PRIMARY KEY)"));
    server->control(QStringLiteral("fill Wide 200000"));
    const BatchResult run = send({"--to", "paradox", "Wide"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    const fs::path db = folder().toStdString() + "/Wide.db";
    const auto px = paradox::findCompanion(db, "PX");
    ASSERT_TRUE(px);
    const paradox::PrimaryIndex index = paradox::PrimaryIndex::read(*px);
    EXPECT_EQ(index.levels(), 3);
    auto reader = paradox::TableReader::open(db);
    EXPECT_EQ(reader->header().fields[0].name, "k");
    std::vector<paradox::Value> row;
    std::string last;
    std::size_t n = 0;
    const paradox::TextEncoder cp1252("CP1252");
    while (reader->next(row)) {
        ASSERT_LT(last, row[0].toText());
        last = row[0].toText();
        // Every key is found by walking the index down from its root.
        std::string key;
        char32_t bad = 0;
        ASSERT_TRUE(cp1252.encode(last, key, bad));
        key.resize(100, '\0');
        ASSERT_TRUE(index.dataBlockFor(reinterpret_cast<const unsigned char*>(key.data())));
        ++n;
    }
    EXPECT_EQ(n, 200000u);
}
