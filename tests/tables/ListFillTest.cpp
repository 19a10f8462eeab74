#include "tables/ListFill.h"
#include "StandinServer.h"
#include "TablesTestSupport.h"
#include "core/DataError.h"
#include "transfer/Statements.h"

#include <gtest/gtest.h>

using namespace tabulex;
using namespace tabulex::test;

TEST(FillSqlTableList, ListsUserTablesOfEverySchemaInCaseInsensitiveOrder)
{
    StandinServer server;
    for (const char* table : {"Orders", "sysdiagrams", "Physics", "MySystemLog", "EasySYStem",
                              "apple", "Zeta", "Q1]; DROP TABLE [Orders", "O'Brien"})
        server.execute("CREATE TABLE " + bracketName(table) + " (id int)");
    server.execute("CREATE VIEW [OrderView] AS SELECT * FROM [Orders]");
    server.execute("CREATE SCHEMA [sales]");
    server.execute("CREATE TABLE [sales].[Orders] (id int)");
    server.control("system_table dbo.spt_values");

    ListBox box;
    box.list.addItem("left over");
    TestHost host;
    fillSqlTableList(box.list, server.connectionString(), host);
    EXPECT_EQ(itemsOf(box.list), (QStringList{"apple", "O'Brien", "Orders", "Orders", "Physics",
                                              "Q1]; DROP TABLE [Orders", "Zeta"}));
    EXPECT_GT(host.eventsProcessed, 0);
    EXPECT_TRUE(host.prompts.prompts.empty());
}

TEST(FillSqlTableList, KeepsTheOldItemsWhenTheLoginFails)
{
    StandinServer server;
    ListBox box;
    box.list.addItem("Orders");
    TestHost host;
    EXPECT_THROW(
        fillSqlTableList(box.list, server.connectionString("tabulex", "wrong", "tabulex"), host),
        DataError);
    EXPECT_EQ(itemsOf(box.list), QStringList{"Orders"});
}

TEST(FillParadoxTableList, ListsTableFilesOfTheFolderAndBelow)
{
    ParadoxFolder folder;
    for (const char* name : {"Customer.db", "Customer.px", "~tmp.db", "orders.DB", "notes.txt",
                             "SALES.DB2018.db", ".hidden.db", "x.db.db", "X.DB", "sub/Parts.db",
                             "sub/deep/CUSTOMER.DB", "sub/deep/~lock.DB", "x.db/inside.txt"})
        folder.touch(name);
    ListBox box;
    box.list.addItem("left over");
    TestHost host;
    for (const QString& typed : {folder.path(), folder.path() + "/"}) {
        fillParadoxTableList(box.list, typed, host);
        EXPECT_EQ(itemsOf(box.list), (QStringList{".HIDDEN", "CUSTOMER", "ORDERS", "SALES.DB2018",
                                                  "sub/deep/CUSTOMER", "sub/PARTS", "X", "X.DB"}));
    }
    for (const QString& typed : {QString(), folder.file("missing")}) {
        fillParadoxTableList(box.list, typed, host);
        EXPECT_TRUE(itemsOf(box.list).isEmpty()) << typed.toStdString();
    }
    EXPECT_TRUE(host.prompts.prompts.empty());
}
