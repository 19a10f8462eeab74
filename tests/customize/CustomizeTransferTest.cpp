#include "EveryTypeTable.h"
#include "ScriptedPrompter.h"
#include "TableWindowFixture.h"
#include "connect/ConnectionStrings.h"
#include "data/Connection.h"
#include "data/Recordset.h"
#include "host/TableList.h"
#include "settings/Settings.h"
#include "tables/ListFill.h"
#include "transfer/Statements.h"
#include "ui/datatype/DataTypeWindow.h"
#include "ui/tables/TableWindow.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace tabulex;
using namespace tabulex::test;
using Kind = ScriptedPrompter::Kind;

namespace {

// The table window with its customization boxes, over the stand-in and a Paradox folder.
class CustomizeTransferTest : public TableWindowFixture {
protected:
    static void makeTable(const QString& name, const QString& columns, const QStringList& rows)
    {
        s_server->execute("CREATE TABLE " + bracketName(name) + "(" + columns + ")");
        for (const QString& r : rows)
            s_server->execute("INSERT INTO " + bracketName(name) + " VALUES(" + r + ")");
    }

    // Sends SQL Server tables to Paradox without customization, to have Paradox tables.
    void toParadox(const QStringList& tables)
    {
        fillLists();
        m_window->customizeToParadoxCheck->setChecked(false);
        select(m_window->sqlTables(), tables);
        m_window->sendToParadoxButton->click();
        ASSERT_TRUE(m_prompter.errorReports().empty());
    }

    // Window actions: change the types of some rows, then OK; or leave with Cancel.
    static std::function<void(DataTypeWindow&)> apply(std::map<int, QString> types = {})
    {
        return [types](DataTypeWindow& w) {
            for (const auto& [row, type] : types) {
                w.fieldList->setCurrentRow(row);
                w.onFieldClicked();
                w.typeEdit->setText(type);
                w.onChange();
            }
            w.onOk();
        };
    }
    static std::function<void(DataTypeWindow&)> cancel()
    {
        return [](DataTypeWindow& w) { w.onCancel(); };
    }
};

} // namespace

TEST_F(CustomizeTransferTest, ThreeTablesAppliedCancelledAndNotReached)
{
    for (const char* t : {"Alpha", "Beta", "Gamma"})
        makeTable(t, "[n] INT", {"1", "2"});
    toParadox({"Alpha", "Beta", "Gamma"});
    s_server->reset();
    fillLists();
    m_window->customizeToSqlServerCheck->setChecked(true);
    m_prompter.dataTypeWindowActions = {apply({{0, "bigint"}}), cancel()};
    select(m_window->paradoxTables(), {"ALPHA", "BETA", "GAMMA"});
    m_window->sendToSqlServerButton->click();

    EXPECT_EQ(m_prompter.of(Kind::DataTypeWindow).size(), 2u);
    EXPECT_TRUE(m_prompter.errorReports().empty());
    // Bottom up, each window built for its table, its proposals read from the folder.
    ASSERT_EQ(m_prompter.customizeRequests.size(), 2u);
    const CustomizeRequest& first = m_prompter.customizeRequests[0];
    EXPECT_EQ(first.target, "MSSQL");
    EXPECT_EQ(first.tableName, "GAMMA");
    EXPECT_EQ(first.head, "CREATE TABLE [GAMMA](");
    EXPECT_EQ(first.sourceConnectionString, paradoxConnectionString(m_folder.path()));
    EXPECT_EQ(m_prompter.customizeRequests[1].tableName, "BETA");
    EXPECT_EQ(items(m_window->sqlTables()), QStringList({"GAMMA"}));
    // Built under a name of its own, then given its name.
    EXPECT_EQ(s_server->statementLog()
                  .filter(QRegularExpression("^CREATE TABLE \\[GAMMA~tabulex-new-[0-9a-f]{16}\\]"
                                             "\\(\"n\" bigint\\)$"))
                  .size(),
              1);
    EXPECT_EQ(s_server->query("SELECT * FROM [GAMMA]").size(), 2u);
    EXPECT_THROW(s_server->query("SELECT * FROM [BETA]"), std::exception);
    EXPECT_TRUE(m_window->sendToSqlServerButton->isEnabled());
}

TEST_F(CustomizeTransferTest, CancelKeepsTheTableTheUserAgreedToOverwrite)
{
    makeTable("Orders", "[n] INT", {"1", "2", "3"});
    toParadox({"Orders"});
    fillLists();
    // Towards SQL Server: Yes to overwrite, then the window is left.
    m_window->customizeToSqlServerCheck->setChecked(true);
    m_prompter.questionAnswers = {true};
    m_prompter.dataTypeWindowActions = {cancel()};
    select(m_window->paradoxTables(), {"ORDERS"});
    m_window->sendToSqlServerButton->click();
    EXPECT_EQ(s_server->query("SELECT * FROM [Orders]").size(), 3u);
    EXPECT_TRUE(items(m_window->sqlTables()).contains("Orders"));
    EXPECT_FALSE(s_server->statementLog().contains("DROP TABLE [ORDERS]"));

    // Towards Paradox likewise: the old Paradox table stays.
    m_window->customizeToParadoxCheck->setChecked(true);
    m_prompter.questionAnswers = {true};
    m_prompter.dataTypeWindowActions = {cancel()};
    select(m_window->sqlTables(), {"Orders"});
    m_window->sendToParadoxButton->click();
    EXPECT_TRUE(QFileInfo::exists(m_folder.filePath("Orders.db")));
    EXPECT_TRUE(m_prompter.errorReports().empty());
}

TEST_F(CustomizeTransferTest, ChosenTypesArriveWithEveryRowInBothDirections)
{
    makeTable("Items", "[id] INT, [name] NVARCHAR(30), [price] DECIMAL(10,2), [at] DATETIME",
              {"1, N'Äpfel', 1.25, '2024-01-02T03:04:05'", "2, N'Birnen', 99.99, NULL"});
    fillLists();
    m_window->customizeToParadoxCheck->setChecked(true);
    m_prompter.dataTypeWindowActions = {apply({{0, "SmallInt"}, {1, "VarChar (50)"}})};
    select(m_window->sqlTables(), {"Items"});
    m_window->sendToParadoxButton->click();
    EXPECT_TRUE(m_prompter.errorReports().empty());
    ASSERT_EQ(m_prompter.customizeRequests.size(), 1u);
    EXPECT_EQ(m_prompter.customizeRequests[0].target, "Paradox");
    EXPECT_EQ(m_prompter.customizeRequests[0].head, "CREATE TABLE `Items`(");
    EXPECT_TRUE(m_prompter.customizeRequests[0].sourceConnectionString.startsWith(
        "Driver={SQL Server};Server=127.0.0.1,"));
    {
        Connection c;
        c.open(paradoxConnectionString(m_folder.path()));
        Recordset rs;
        rs.cursorLocation = ado::adUseClient;
        rs.open("SELECT * FROM [Items]", c);
        EXPECT_EQ(rs.recordCount(), 2);
        EXPECT_EQ(rs.fields()[0].type, ado::adSmallInt);
        EXPECT_EQ(rs.fields()[1].definedSize, 50);
        EXPECT_EQ(rs.fields()[1].value, Value(QString::fromUtf8("Äpfel")));
        EXPECT_EQ(rs.fields()[3].type, ado::adDBTimeStamp);
    }

    // Back: the Paradox table becomes a SQL Server table of chosen types.
    s_server->reset();
    fillLists();
    m_window->customizeToSqlServerCheck->setChecked(true);
    m_prompter.dataTypeWindowActions = {apply({{1, "nvarchar (50)"}, {2, "decimal(10, 2)"}})};
    select(m_window->paradoxTables(), {"ITEMS"});
    m_window->sendToSqlServerButton->click();
    EXPECT_TRUE(m_prompter.errorReports().empty());
    const auto rows = s_server->query("SELECT * FROM [ITEMS]");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1], Value(QString::fromUtf8("Äpfel")));
    EXPECT_EQ(rows[1][2], Value(Decimal{"99.99"}));
}

TEST_F(CustomizeTransferTest, AValueTheChosenTypeCannotHoldFailsItsRow)
{
    makeTable("Nums", "[n] INT, [x] FLOAT", {"1, 1.25", "100000, 2.5"});
    fillLists();
    // SHORT holds no 100000: that row fails, the other arrives.
    m_window->customizeToParadoxCheck->setChecked(true);
    m_prompter.dataTypeWindowActions = {apply({{0, "SmallInt"}})};
    select(m_window->sqlTables(), {"Nums"});
    m_window->sendToParadoxButton->click();
    ASSERT_EQ(m_prompter.errorReports().size(), 1u);
    EXPECT_TRUE(m_prompter.errorReports()[0].contains("'100000'"));

    // decimal(10, 1) would round 1.25: that row fails on the way to SQL Server.
    m_prompter.clear();
    s_server->reset();
    fillLists();
    m_window->customizeToSqlServerCheck->setChecked(true);
    m_prompter.dataTypeWindowActions = {apply({{1, "decimal(10, 1)"}})};
    select(m_window->paradoxTables(), {"NUMS"});
    m_window->sendToSqlServerButton->click();
    ASSERT_EQ(m_prompter.errorReports().size(), 1u);
    EXPECT_TRUE(m_prompter.errorReports()[0].contains("keeps 1 decimals"));
    EXPECT_TRUE(
        m_prompter.errorReports()[0].contains("sql: INSERT INTO [NUMS] VALUES('1', '1.25')"));
    EXPECT_EQ(s_server->query("SELECT * FROM [NUMS]").size(), 0u);
}

// The window's proposals, accepted unchanged, hold every value of a field of each type.
TEST_F(CustomizeTransferTest, ProposalsAcceptedUnchangedTakeEveryRowInBothDirections)
{
    writeEveryTypeTable(m_folder.path(), "EVERY", {everyTypeRow(), everyTypeEdgeRow()});
    fillLists();
    m_window->customizeToSqlServerCheck->setChecked(true);
    m_prompter.dataTypeWindowActions = {apply()};
    select(m_window->paradoxTables(), {"EVERY"});
    m_window->sendToSqlServerButton->click();
    for (const QString& report : m_prompter.errorReports())
        ADD_FAILURE() << report.toStdString();
    EXPECT_EQ(s_server->query("SELECT * FROM [EVERY]").size(), 2u);

    // And from SQL Server to Paradox.
    makeTable("Types",
              "[a] NVARCHAR(10), [b] VARCHAR(10), [c] NTEXT, [d] CHAR(5), [e] BIT, [f] MONEY, "
              "[g] REAL, [h] DECIMAL(10,2), [i] FLOAT, [j] SMALLINT, [k] TINYINT, [l] BIGINT, "
              "[m] INT, [n] DATE, [o] DATETIME, [p] TIME, [q] DATETIME2(7), [r] VARBINARY(10), "
              "[s] UNIQUEIDENTIFIER, [t] VARCHAR(MAX), [u] VARBINARY(MAX), [v] SMALLMONEY",
              {"N'x', 'y', N'z', 'abc', 1, 12.3456, 1.5, 12345678.90, 0.1, -32767, 255, "
               "1099511627776, 2147483647, '1600-07-04', '2024-01-02T03:04:05.997', "
               "'23:59:59.1234567', '2024-01-02T03:04:05.1234567', 0x0102, "
               "'6F9619FF-8B86-D011-B42D-00C04FC964FF', 'long', 0x" +
                   QString(600, u'A') + ", 1.5",
               "NULL, NULL, NULL, NULL, 0, -1, NULL, NULL, NULL, NULL, 0, -9007199254740992, "
               "-5, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL"});
    m_prompter.clear();
    fillLists();
    m_window->customizeToParadoxCheck->setChecked(true);
    m_prompter.dataTypeWindowActions = {apply()};
    select(m_window->sqlTables(), {"Types"});
    m_window->sendToParadoxButton->click();
    for (const QString& report : m_prompter.errorReports())
        ADD_FAILURE() << report.toStdString();
    Connection c;
    c.open(paradoxConnectionString(m_folder.path()));
    Recordset rs;
    rs.cursorLocation = ado::adUseClient;
    rs.open("SELECT * FROM [Types]", c);
    EXPECT_EQ(rs.recordCount(), 2);
}
