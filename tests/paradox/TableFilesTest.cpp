// Table files found in a folder without regard to case, as Windows finds them.
#include "TestSupport.h"

#include "paradox/TableFiles.h"

#include <fstream>

namespace paradox {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

void touch(const TempDir& dir, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        std::ofstream(dir / name) << "x";
}

std::vector<std::string> namesOf(const std::vector<fs::path>& paths)
{
    std::vector<std::string> names;
    for (const auto& p : paths)
        names.push_back(p.filename().string());
    return names;
}

TEST(FindTableFile, matchesTheWholeNameWithoutRegardToCase)
{
    TempDir dir;
    touch(dir, {"Orders.db", "CUSTOMER.DB", "ärger.Db", "Orders.txt", "SALES.DB2018.db", "X.DB",
                "x.db.db", "caf\xe9.db"});
    fs::create_directory(dir / "Folder.db");
    struct Case {
        const char* table;
        const char* file;
    };
    // A table's name is its file's name without the final ".db", and nothing else.
    for (const Case& c :
         {Case{"ORDERS", "Orders.db"}, Case{"orders", "Orders.db"}, Case{"customer", "CUSTOMER.DB"},
          Case{"ÄRGER", "ärger.Db"}, Case{"sales.db2018", "SALES.DB2018.db"}, Case{"X", "X.DB"},
          Case{"X.db", "x.db.db"}, Case{"CAFÉ", "caf\xe9.db"}}) {
        const auto found = findTableFile(dir.path(), c.table);
        ASSERT_TRUE(found) << c.table;
        EXPECT_EQ(found->filename(), c.file) << c.table;
    }
    for (const char* missing : {"ORDER", "Orders.txt", "FOLDER", "SALES", "Orders.DB", "SALES2018"})
        EXPECT_FALSE(findTableFile(dir.path(), missing)) << missing;
    EXPECT_EQ(tableNameOf(dir / "x.db.db"), "x.db");
    EXPECT_EQ(tableNameOf(dir / "caf\xe9.DB"), "café");
}

TEST(TableFamily, holdsTheCompanionsAndNothingElse)
{
    TempDir dir;
    touch(dir, {"ORDERS.DB",  "Orders.px",  "ORDERS.MB",  "ORDERS.VAL",    "ORDERS.TV",
                "ORDERS.FAM", "ORDERS.X02", "ORDERS.Y02", "orders.xg0",    "ORDERS.YG1",
                "ORDERS.X0A", "ORDERS.txt", "ORDERS2.DB", "ORDERS.DB.bak", "ORDERS.X123",
                "ORDERS.XZ1", "ORDERS",     "XORDERS.PX", "ORDERS.DB.DB",  "ORDERS.DB.PX"});
    EXPECT_EQ(namesOf(tableFamily(dir / "orders.db")),
              (std::vector<std::string>{"ORDERS.DB", "ORDERS.FAM", "ORDERS.MB", "ORDERS.TV",
                                        "ORDERS.VAL", "ORDERS.X02", "ORDERS.X0A", "ORDERS.Y02",
                                        "ORDERS.YG1", "Orders.px", "orders.xg0"}));
    // The table ORDERS.DB is a family of its own.
    EXPECT_EQ(namesOf(tableFamily(dir / "ORDERS.DB.DB")),
              (std::vector<std::string>{"ORDERS.DB.DB", "ORDERS.DB.PX"}));
}

TEST(FileableTableName, refusesNamesThatLeaveTheFolderOrHoldControlCharacters)
{
    for (const char* name :
         {"", ".", "..", "a/b", "../../x", "/x", "a\nb", "tab\t", "del\x7f", "c1\xc2\x85"})
        EXPECT_FALSE(isFileableTableName(name)) << name;
    for (const char* name : {"X.db", "...", ".x", "a..b", "a\\b", "ärger", "\xc2\xa0nbsp"})
        EXPECT_TRUE(isFileableTableName(name)) << name;
    EXPECT_FALSE(isFileableTableName(std::string("nul\0x", 5)));
}

TEST(ListTableFiles, listsDbFilesOfAnyCaseOnly)
{
    TempDir dir;
    touch(dir, {"a.db", "B.DB", "c.Db", ".hidden.db", "d.dbf", "e.PX", "~tmp.db"});
    fs::create_directory(dir / "sub.db");
    EXPECT_EQ(namesOf(listTableFiles(dir.path())),
              (std::vector<std::string>{".hidden.db", "B.DB", "a.db", "c.Db", "~tmp.db"}));
}

TEST(FindCompanion, findsTheMemoFileWhateverItsCase)
{
    TempDir dir;
    touch(dir, {"memo.db", "MEMO.MB", "other.mb"});
    const auto mb = findCompanion(dir / "memo.db", "MB");
    ASSERT_TRUE(mb);
    EXPECT_EQ(mb->filename(), "MEMO.MB");
    EXPECT_FALSE(findCompanion(dir / "other.db", "PX"));
}

// Tables whose names differ only in case are told apart by their files' own spelling.
TEST(TableEntries, tablesDifferingInCaseAreEachOneEntryWithTheirOwnFiles)
{
    TempDir dir;
    touch(dir, {"orders.db", "orders.px", "ORDERS.DB", "ORDERS.MB", "ORDERS.PX", "Orders.X02",
                "Parts.db", "PARTS.PX", "A.DB", "A.db", ".db", ".DB.PX"});
    fs::create_directories(dir / "sub" / "deep");
    touch(dir, {"sub/deep/Orders.db"});
    std::vector<std::string> entries;
    for (const TableEntry& e : tableEntries(dir.path()))
        entries.push_back(e.entry + (e.ownSpelling ? "!" : "") + "=" +
                          e.dbFile.filename().string());
    EXPECT_EQ(entries, (std::vector<std::string>{"A.DB!=A.DB", "A.db!=A.db", "ORDERS!=ORDERS.DB",
                                                 "Parts=Parts.db", "orders!=orders.db"}));
    EXPECT_EQ(namesOf(tableFamily(dir / "orders.db")),
              (std::vector<std::string>{"orders.db", "orders.px"}));
    EXPECT_EQ(namesOf(tableFamily(dir / "ORDERS.DB")),
              (std::vector<std::string>{"ORDERS.DB", "ORDERS.MB", "ORDERS.PX"}));
    EXPECT_EQ(namesOf(tableFamily(dir / "Parts.db")),
              (std::vector<std::string>{"PARTS.PX", "Parts.db"}));
    EXPECT_FALSE(findCompanion(dir / "orders.db", "MB"));
    EXPECT_EQ(findCompanion(dir / "ORDERS.DB", "MB")->filename(), "ORDERS.MB");
    struct Case {
        const char* entry;
        const char* file; // none: no table
    };
    for (const Case& c :
         {Case{"orders", "orders.db"}, Case{"ORDERS", "ORDERS.DB"}, Case{"Orders", nullptr},
          Case{"PARTS", "Parts.db"}, Case{"A.db", "A.db"}, Case{"A", nullptr}, Case{"", nullptr},
          Case{"sub/deep/ORDERS", "Orders.db"}, Case{"sub/ORDERS", nullptr},
          Case{"sub/../orders", nullptr}, Case{"sub//deep/ORDERS", nullptr}}) {
        const auto found = findTableEntry(dir.path(), c.entry);
        EXPECT_EQ(found ? found->filename().string() : "", c.file ? c.file : "") << c.entry;
    }
}

} // namespace
} // namespace paradox
