#include "TablesTestSupport.h"
#include "TestPaths.h"
#include "core/AppInfo.h"
#include "tables/FileDeleteRename.h"
#include "tables/ListFill.h"
#include "tables/ParadoxTableCommands.h"

#include <QFile>

#include <filesystem>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

using namespace tabulex;
using namespace tabulex::test;
using Kind = ScriptedPrompter::Kind;

namespace {

class ParadoxCommands : public ::testing::Test {
protected:
    void fill() { fillParadoxTableList(m_box.list, m_folder.path(), m_host); }
    void select(const QStringList& names) { setUpList(m_box.list, itemsOf(m_box.list), names); }

    ParadoxFolder m_folder;
    ListBox m_box;
    TestHost m_host;
};

} // namespace

TEST_F(ParadoxCommands, DeleteRemovesTheTableFileAndItsCompanionsOnly)
{
    TABULEX_REQUIRE_FIXTURES();
    m_folder.copyTable("db", "CUSTOMER", "Customer");
    m_folder.copyTable("db", "ORDERS");
    for (const char* other : {"Customer.txt", "Customer.QBE", "sub/Parts.db"})
        m_folder.touch(other);
    QFile::setPermissions(m_folder.file("Customer.DB"), QFile::ReadOwner | QFile::ReadOther);
    fill();
    select({"CUSTOMER", "PARTS"});
    EXPECT_EQ(deleteParadoxTables(m_box.list, m_folder.path(), m_host), 1);
    EXPECT_EQ(m_folder.files(),
              (QStringList{"Customer.QBE", "Customer.txt", "ORDERS.DB", "ORDERS.PX"}));
    EXPECT_TRUE(QFile::exists(m_folder.file("sub/Parts.db")));
    EXPECT_EQ(itemsOf(m_box.list), (QStringList{"ORDERS", "PARTS"})); // a subfolder table stays
    EXPECT_TRUE(m_host.prompts.prompts.empty());
    EXPECT_EQ(m_host.waitChanges, (std::vector<bool>{true, false}));
}

TEST_F(ParadoxCommands, RenameMovesTheWholeFamilyAndTheTableStillOpens)
{
    TABULEX_REQUIRE_FIXTURES();
    m_folder.copyTable("db", "CUSTOMER", "Customer");
    m_folder.copyTable("db", "ORDERS");
    m_folder.touch("Customer.txt");
    const QStringList rows = paradoxRows(m_folder.path(), "Customer");
    ASSERT_FALSE(rows.isEmpty());
    fill();
    select({"CUSTOMER"});
    m_host.prompts.inputAnswers = {"Clients"};
    EXPECT_TRUE(renameParadoxTable(m_box.list, m_folder.path(), m_host));
    EXPECT_EQ(m_folder.files(),
              (QStringList{"Clients.DB", "Clients.MB", "Clients.PX", "Clients.X06", "Clients.Y06",
                           "Customer.txt", "ORDERS.DB", "ORDERS.PX"}));
    EXPECT_EQ(paradoxRows(m_folder.path(), "Clients"), rows);
    EXPECT_EQ(itemsOf(m_box.list), (QStringList{"Clients", "ORDERS"}));
    EXPECT_EQ(m_box.list.currentIndex(), 0);
    ASSERT_EQ(m_host.prompts.prompts.size(), 1u);
    EXPECT_EQ(m_host.prompts.prompts[0].text, "Enter new name of CUSTOMER:");
    EXPECT_EQ(m_host.prompts.prompts[0].defaultText, "CUSTOMER");
    EXPECT_EQ(m_host.prompts.prompts[0].title, appTitle());
    EXPECT_TRUE(m_host.pointerIsDefault());
}

TEST_F(ParadoxCommands, RenameOntoAnotherTableAsksBeforeReplacingIt)
{
    TABULEX_REQUIRE_FIXTURES();
    m_folder.copyTable("db", "AREACODE");
    m_folder.copyTable("db", "ORDERS");
    const QStringList areaRows = paradoxRows(m_folder.path(), "AREACODE");
    const QByteArray orders = contentsOf(m_folder.file("ORDERS.DB"));
    fill();
    select({"AREACODE"});
    m_host.prompts.inputAnswers = {"orders", "orders"};
    m_host.prompts.questionAnswers = {false, true};

    EXPECT_FALSE(renameParadoxTable(m_box.list, m_folder.path(), m_host));
    EXPECT_EQ(m_folder.files(), (QStringList{"AREACODE.DB", "AREACODE.PX", "AREACODE.VAL",
                                             "ORDERS.DB", "ORDERS.PX"}));
    EXPECT_EQ(contentsOf(m_folder.file("ORDERS.DB")), orders);
    EXPECT_EQ(itemsOf(m_box.list), (QStringList{"AREACODE", "ORDERS"}));

    EXPECT_TRUE(renameParadoxTable(m_box.list, m_folder.path(), m_host));
    EXPECT_EQ(m_folder.files(), (QStringList{"orders.DB", "orders.PX", "orders.VAL"}));
    EXPECT_EQ(paradoxRows(m_folder.path(), "ORDERS"), areaRows);
    EXPECT_EQ(itemsOf(m_box.list), QStringList{"orders"});

    const auto questions = m_host.prompts.of(Kind::Question);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0].text, "Would you like to overwrite orders?");
    EXPECT_EQ(questions[0].title, "Overwrite?");
    EXPECT_TRUE(m_host.prompts.errorReports().empty());
}

TEST_F(ParadoxCommands, ANewNameEndingInDbDoesNotReplaceTheTableWithoutIt)
{
    TABULEX_REQUIRE_FIXTURES();
    m_folder.copyTable("db", "AREACODE");
    m_folder.copyTable("db", "ORDERS");
    fill();
    select({"AREACODE"});
    m_host.prompts.inputAnswers = {"ORDERS.db"};
    EXPECT_TRUE(renameParadoxTable(m_box.list, m_folder.path(), m_host));
    EXPECT_EQ(m_folder.files(), (QStringList{"ORDERS.DB", "ORDERS.PX", "ORDERS.db.DB",
                                             "ORDERS.db.PX", "ORDERS.db.VAL"}));
    EXPECT_TRUE(m_host.prompts.of(Kind::Question).empty());
}

TEST_F(ParadoxCommands, RenamesThatChangeNothingOrOnlyTheCase)
{
    TABULEX_REQUIRE_FIXTURES();
    m_folder.copyTable("db", "ORDERS");
    const QByteArray orders = contentsOf(m_folder.file("ORDERS.DB"));
    fill();
    select({"ORDERS"});
    m_host.prompts.inputAnswers = {"", "ORDERS"};
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(renameParadoxTable(m_box.list, m_folder.path(), m_host));
        EXPECT_EQ(m_folder.files(), (QStringList{"ORDERS.DB", "ORDERS.PX"}));
        EXPECT_EQ(itemsOf(m_box.list), QStringList{"ORDERS"});
    }
    m_host.prompts.inputAnswers = {"Orders"};
    EXPECT_TRUE(renameParadoxTable(m_box.list, m_folder.path(), m_host));
    EXPECT_EQ(m_folder.files(), (QStringList{"Orders.DB", "Orders.PX"}));
    EXPECT_EQ(contentsOf(m_folder.file("Orders.DB")), orders);
    EXPECT_EQ(itemsOf(m_box.list), QStringList{"Orders"});
    EXPECT_TRUE(m_host.prompts.of(Kind::Question).empty());
    EXPECT_TRUE(m_host.prompts.errorReports().empty());
}

TEST_F(ParadoxCommands, AFailedRenameIsReportedAndLeavesTheListAsItWas)
{
    const QString kBadName = "Bad file name or number\r\nin Verandi2021/08/31.Form2."
                             "PushButton7_Click at line 112";
    m_folder.touch("sub/Parts.db");
    m_folder.touch("Orders.db");
    fill();
    struct Row {
        QString table, newName, where;
    };
    const Row rows[] = {
        {"PARTS", "P2", "in Verandi2021/08/31.Main.RenameFile at line 100"},
        {"ORDERS", "a/b", kBadName},
        {"ORDERS", "..", kBadName},
        {"ORDERS", "a\nb", kBadName},
    };
    for (const Row& r : rows) {
        m_host.prompts.clear();
        select({r.table});
        m_host.prompts.inputAnswers = {r.newName};
        EXPECT_FALSE(renameParadoxTable(m_box.list, m_folder.path(), m_host));
        const auto reports = m_host.prompts.errorReports();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_TRUE(reports[0].contains(r.where)) << reports[0].toStdString();
        EXPECT_EQ(itemsOf(m_box.list), (QStringList{"ORDERS", "PARTS"}));
    }
    EXPECT_EQ(m_folder.files(), QStringList{"Orders.db"});
    EXPECT_TRUE(QFile::exists(m_folder.file("sub/Parts.db")));
}

// The table X.DB is the file x.db.db, not X.DB; a name that is not UTF-8 is listed as code
// page 1252 shows it and reaches its own files.
TEST_F(ParadoxCommands, EveryTableIsItsWholeNameWhateverItsBytes)
{
    const std::string folder = m_folder.path().toStdString() + '/';
    for (const char* name : {"X.DB", "X.PX", "x.db.db", "x.db.PX", "caf\xe9.db", "caf\xe9.PX"})
        std::ofstream(folder + name) << "x";
    const auto files = [&] {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder))
            names.insert(e.path().filename().string());
        return names;
    };
    fill();
    EXPECT_EQ(itemsOf(m_box.list), (QStringList{"CAFÉ", "X", "X.DB"}));
    select({"X.DB"});
    m_host.prompts.inputAnswers = {"Y"};
    EXPECT_TRUE(renameParadoxTable(m_box.list, m_folder.path(), m_host));
    select({"CAFÉ"});
    m_host.prompts.inputAnswers = {"Z"};
    EXPECT_TRUE(renameParadoxTable(m_box.list, m_folder.path(), m_host));
    EXPECT_EQ(files(), (std::set<std::string>{"X.DB", "X.PX", "Y.DB", "Y.PX", "Z.DB", "Z.PX"}));
    fill();
    select({"Y", "Z"});
    EXPECT_EQ(deleteParadoxTables(m_box.list, m_folder.path(), m_host), 2);
    EXPECT_EQ(files(), (std::set<std::string>{"X.DB", "X.PX"}));
    EXPECT_TRUE(m_host.prompts.errorReports().empty());
}

TEST_F(ParadoxCommands, SelectionMessages)
{
    m_folder.touch("A.db");
    m_folder.touch("B.db");
    fill();
    struct Row {
        QStringList selected;
        int current;
        QString deleteMessage, renameMessage; // empty: nothing shown
    };
    const Row rows[] = {
        {{}, -1, "Please select a table to delete.", "Please select a table to rename."},
        {{}, 1, "", "Please select just one table to rename."},
        {{"A", "B"}, 0, "-", "Please select just one table to rename."},
    };
    for (const Row& r : rows) {
        select(r.selected);
        m_box.list.setCurrentIndex(r.current);
        m_host.prompts.clear();
        EXPECT_FALSE(renameParadoxTable(m_box.list, m_folder.path(), m_host));
        ASSERT_EQ(m_host.prompts.prompts.size(), 1u);
        EXPECT_EQ(m_host.prompts.prompts[0].text, r.renameMessage);
        EXPECT_EQ(m_host.prompts.prompts[0].title, appTitle());
        if (r.deleteMessage == "-")
            continue;
        m_host.prompts.clear();
        EXPECT_EQ(deleteParadoxTables(m_box.list, m_folder.path(), m_host), 0);
        EXPECT_EQ(m_host.prompts.prompts.size(), r.deleteMessage.isEmpty() ? 0u : 1u);
        if (!r.deleteMessage.isEmpty()) {
            EXPECT_EQ(m_host.prompts.prompts[0].text, r.deleteMessage);
        }
    }
    EXPECT_EQ(m_folder.files(), (QStringList{"A.db", "B.db"}));
    EXPECT_TRUE(m_host.pointerIsDefault());
}

TEST(RenameFile, AFailedCopyLeavesEveryFileAsItWas)
{
    ParadoxFolder folder;
    TestHost host;
    QFile a(folder.file("a.db"));
    ASSERT_TRUE(a.open(QIODevice::WriteOnly));
    a.write("table");
    a.close();
    folder.touch("b.db");
    EXPECT_FALSE(renameFile({{folder.file("a.db"), folder.file("b.db")},
                             {folder.file("missing.px"), folder.file("b.px")}},
                            host));
    EXPECT_EQ(folder.files(), (QStringList{"a.db", "b.db"})); // no copy left behind
    EXPECT_TRUE(contentsOf(folder.file("b.db")).isEmpty());
    EXPECT_EQ(host.prompts.errorReports().size(), 1u);

    // A file renamed onto itself survives.
    EXPECT_TRUE(renameFile(folder.file("a.db"), folder.file("a.db"), host));
    EXPECT_EQ(contentsOf(folder.file("a.db")), "table");
    EXPECT_EQ(host.prompts.errorReports().size(), 1u);
}
