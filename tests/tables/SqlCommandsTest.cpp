#include "FreePort.h"
#include "StandinServer.h"
#include "TablesTestSupport.h"
#include "core/AppInfo.h"
#include "tables/ListFill.h"
#include "tables/SqlTableCommands.h"
#include "transfer/Statements.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tabulex;
using namespace tabulex::test;
using Kind = ScriptedPrompter::Kind;

namespace {

class SqlCommands : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_server = std::make_unique<StandinServer>(); }
    static void TearDownTestSuite() { s_server.reset(); }
    void SetUp() override { s_server->reset(); }

    // Creates the tables and lists them as the window does.
    void createTables(const QStringList& tables)
    {
        for (const QString& t : tables)
            s_server->execute("CREATE TABLE " + bracketName(t) + " (id int)");
        fillSqlTableList(m_box.list, cs(), m_host);
    }
    QStringList serverTables()
    {
        ListBox box;
        TestHost host;
        fillSqlTableList(box.list, cs(), host);
        return itemsOf(box.list);
    }
    // The statements the commands sent (the catalogue requests left out).
    QStringList commands()
    {
        QStringList out;
        for (const QString& s : s_server->statementLog())
            if (s.startsWith("DROP") || s.startsWith("sp_rename"))
                out << s;
        return out;
    }
    static QString cs() { return s_server->connectionString(); }

    static std::unique_ptr<StandinServer> s_server;
    ListBox m_box;
    TestHost m_host;
};

std::unique_ptr<StandinServer> SqlCommands::s_server;

} // namespace

TEST_F(SqlCommands, DeleteDropsTheSelectedTablesFromTheBottomUpEachOnItsOwnConnection)
{
    createTables({"A", "b", "C", "d"});
    setUpList(m_box.list, itemsOf(m_box.list), {"b", "C", "d"});
    const int loginsBefore = s_server->status().logins;
    EXPECT_EQ(deleteSqlTables(m_box.list, cs(), m_host), 3);
    EXPECT_EQ(commands(), (QStringList{"DROP TABLE [d];", "DROP TABLE [C];", "DROP TABLE [b];"}));
    EXPECT_EQ(s_server->status().logins - loginsBefore, 3);
    EXPECT_EQ(itemsOf(m_box.list), QStringList{"A"});
    EXPECT_EQ(serverTables(), QStringList{"A"});
    EXPECT_TRUE(m_host.prompts.prompts.empty());
    EXPECT_EQ(m_host.waitChanges, (std::vector<bool>{true, false}));
}

TEST_F(SqlCommands, NamesAreQuotedSoThatATableIsDeletedOrRenamedAsItself)
{
    const QString tricky = "Q1]; DROP TABLE [Orders";
    createTables({tricky, "O'Brien", "Orders", "Sales.2018"});
    setUpList(m_box.list, itemsOf(m_box.list), {tricky});
    EXPECT_EQ(deleteSqlTables(m_box.list, cs(), m_host), 1);
    EXPECT_EQ(commands(), QStringList{"DROP TABLE [Q1]]; DROP TABLE [Orders];"});

    struct Row {
        QString from, to, statement;
    };
    const Row rows[] = {
        {"O'Brien", "O'Neil's", "sp_rename '[O''Brien]', 'O''Neil''s'"},
        {"Sales.2018", "Sales 2018", "sp_rename '[Sales.2018]', 'Sales 2018'"},
        {"Orders", "x]', 'y", "sp_rename '[Orders]', 'x]'', ''y'"},
    };
    for (const Row& r : rows) {
        s_server->control("log_clear");
        setUpList(m_box.list, itemsOf(m_box.list), {r.from});
        m_host.prompts.inputAnswers = {r.to};
        EXPECT_TRUE(renameSqlTable(m_box.list, cs(), m_host));
        EXPECT_EQ(commands(), QStringList{r.statement});
    }
    // Each new name takes its sorted place in the list.
    EXPECT_EQ(serverTables(), (QStringList{"O'Neil's", "Sales 2018", "x]', 'y"}));
    EXPECT_EQ(itemsOf(m_box.list), serverTables());
    const auto inputs = m_host.prompts.of(Kind::Input);
    ASSERT_EQ(inputs.size(), 3u);
    EXPECT_EQ(inputs[0].text, "Enter new name of O'Brien:");
    EXPECT_EQ(inputs[0].title, appTitle());
    EXPECT_EQ(inputs[0].defaultText, "O'Brien");
    EXPECT_EQ(m_host.prompts.prompts.size(), 3u);
}

TEST_F(SqlCommands, AFailedDropLeavesTheTableListedAndIsReported)
{
    createTables({"A", "B", "C"});
    s_server->failStatements("DROP TABLE \\[B\\]", 3701,
                             "Cannot drop the table 'B', because it does not exist or you do not "
                             "have permission.");
    setUpList(m_box.list, itemsOf(m_box.list), {"A", "B", "C"});
    EXPECT_EQ(deleteSqlTables(m_box.list, cs(), m_host), 2);
    EXPECT_EQ(itemsOf(m_box.list), QStringList{"B"});
    const auto reports = m_host.prompts.errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains("Cannot drop the table 'B'"));
    EXPECT_TRUE(reports[0].contains("\r\nin Verandi2021/08/31.Form2.PushButton1_Click at line 112"
                                    "\r\rPlease email"));
}

TEST_F(SqlCommands, WithoutAServerEveryStepIsReportedAndTheTablesStay)
{
    createTables({"A", "B"});
    setUpList(m_box.list, itemsOf(m_box.list), {"A"});
    const QString nowhere = "Driver={SQL Server};Server=127.0.0.1," + QString::number(freePort()) +
                            ";Database=x;Uid=x;Pwd=x;";
    EXPECT_EQ(deleteSqlTables(m_box.list, nowhere, m_host), 0);
    m_host.prompts.inputAnswers = {"C"};
    EXPECT_FALSE(renameSqlTable(m_box.list, nowhere, m_host));
    const auto reports = m_host.prompts.errorReports();
    ASSERT_EQ(reports.size(), 6u);
    const char* where[] = {"PushButton1_Click at line 110", "PushButton1_Click at line 112",
                           "PushButton1_Click at line 114", "PushButton6_Click at line 116",
                           "PushButton6_Click at line 118", "PushButton6_Click at line 120"};
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(reports[size_t(i)].contains(where[i])) << reports[size_t(i)].toStdString();
    EXPECT_EQ(itemsOf(m_box.list), (QStringList{"A", "B"}));
    EXPECT_TRUE(m_host.pointerIsDefault());
}

TEST_F(SqlCommands, ARefusedOrCancelledRenameLeavesTheListAsItWas)
{
    createTables({"A", "B"});
    setUpList(m_box.list, itemsOf(m_box.list), {"A"});
    m_host.prompts.inputAnswers = {"B", "", "A"};
    EXPECT_FALSE(renameSqlTable(m_box.list, cs(), m_host)); // B exists
    EXPECT_EQ(m_host.prompts.errorReports().size(), 1u);
    EXPECT_FALSE(renameSqlTable(m_box.list, cs(), m_host)); // cancelled
    EXPECT_EQ(commands().size(), 1);
    EXPECT_FALSE(renameSqlTable(m_box.list, cs(), m_host)); // the old name unchanged
    EXPECT_EQ(itemsOf(m_box.list), (QStringList{"A", "B"}));
    EXPECT_EQ(serverTables(), (QStringList{"A", "B"}));
    EXPECT_TRUE(m_host.pointerIsDefault());
}

TEST_F(SqlCommands, SelectionMessages)
{
    createTables({"A", "B", "C"});
    struct Row {
        QStringList selected;
        bool current;
        QString deleteMessage; // empty: none
        QString renameMessage;
    };
    const Row rows[] = {
        {{}, false, "Please select a table", "Please select a table"},
        {{}, true, "", "Please select just one table to rename"},
        {{"A", "C"}, true, "-", "Please select just one table to rename"},
    };
    for (const Row& r : rows) {
        setUpList(m_box.list, {"A", "B", "C"}, r.selected);
        if (r.current && r.selected.isEmpty())
            m_box.list.setCurrentIndex(1);
        m_host.prompts.clear();
        EXPECT_FALSE(renameSqlTable(m_box.list, cs(), m_host));
        ASSERT_EQ(m_host.prompts.prompts.size(), 1u);
        EXPECT_EQ(m_host.prompts.prompts[0].kind, Kind::Message);
        EXPECT_EQ(m_host.prompts.prompts[0].text, r.renameMessage);
        EXPECT_EQ(m_host.prompts.prompts[0].title, appTitle());
        if (r.deleteMessage == "-")
            continue;
        m_host.prompts.clear();
        EXPECT_EQ(deleteSqlTables(m_box.list, cs(), m_host), 0);
        EXPECT_EQ(m_host.prompts.prompts.size(), r.deleteMessage.isEmpty() ? 0u : 1u);
        if (!r.deleteMessage.isEmpty()) {
            EXPECT_EQ(m_host.prompts.prompts[0].text, r.deleteMessage);
        }
    }
    EXPECT_TRUE(commands().isEmpty());
    EXPECT_EQ(serverTables(), (QStringList{"A", "B", "C"}));
    EXPECT_TRUE(m_host.pointerIsDefault());
}
