// What runs that ended early leave on SQL Server and in a Paradox folder, and the lists and
// commands after them.
#include "StandinServer.h"
#include "TablesTestSupport.h"
#include "core/SqlQuoting.h"
#include "data/Connection.h"
#include "tables/ListFill.h"
#include "tables/SqlRunMark.h"
#include "tables/SqlTableCommands.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

using namespace tabulex;
using namespace tabulex::test;
using Kind = ScriptedPrompter::Kind;

namespace {

QStringList catalogue(const StandinServer& server)
{
    QStringList names;
    for (const auto& row : server.query("EXEC sp_tables"))
        if (row[3].toText() == "TABLE")
            names << row[2].toText();
    names.sort(Qt::CaseInsensitive);
    return names;
}

} // namespace

TEST(SqlLeftovers, ListAndDeleteRemoveWhatDeadRunsLeftAndRestoreASetAsideTable)
{
    StandinServer server;
    const QString dead = newRunMark();
    const QString live = newRunMark();
    // A run killed between setting CUSTOMER aside and publishing its new table, one killed
    // after publishing ORDERS, one killed while building BIG; a live run builds LIVE.
    for (const QString& t :
         {QString("ORDERS"), markedTableName("CUSTOMER", "old", dead),
          markedTableName("CUSTOMER", "new", dead), markedTableName("ORDERS", "old", dead),
          markedTableName("BIG", "new", dead), markedTableName("LIVE", "new", live)})
        server.execute("CREATE TABLE " + bracketName(t) + " (id int)");
    server.execute("INSERT INTO " + bracketName(markedTableName("CUSTOMER", "old", dead)) +
                   " VALUES (7)");
    Connection liveRun;
    liveRun.open(server.connectionString());
    holdRunLock(liveRun, live);

    ListBox box;
    TestHost host;
    fillSqlTableList(box.list, server.connectionString(), host);
    EXPECT_EQ(itemsOf(box.list), (QStringList{"CUSTOMER", "ORDERS"}));
    EXPECT_EQ(catalogue(server),
              (QStringList{"CUSTOMER", markedTableName("LIVE", "new", live), "ORDERS"}));
    EXPECT_EQ(server.query("SELECT * FROM [CUSTOMER]").at(0).at(0).toText(), "7");
    const auto messages = host.prompts.of(Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "The table CUSTOMER was left as " +
                                    markedTableName("CUSTOMER", "old", dead) +
                                    " by a run that ended early; it has its own name again.");

    // Once the live run is gone, the next command on the server removes its table too.
    liveRun.close();
    setUpList(box.list, itemsOf(box.list), {"ORDERS"});
    EXPECT_EQ(deleteSqlTables(box.list, server.connectionString(), host), 1);
    EXPECT_EQ(catalogue(server), QStringList{"CUSTOMER"});
}

TEST(ParadoxLeftovers, AListRemovesTheScratchFilesOfRunsThatAreGoneAndKeepsALiveOne)
{
    ParadoxFolder folder;
    folder.copyTable("db", "AREACODE");
    // A killed export's temporary file, a killed rename's copy, and a live rename's copy.
    for (const char* name :
         {"~AREACODE-Q7ZK2M.tmp", "sub/.tabulex-copy-aB3xYz", ".tabulex-copy-Live01"})
        folder.touch(name);
    const QByteArray live = QFile::encodeName(folder.file(".tabulex-copy-Live01"));
    const int fd = ::open(live.constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);

    ListBox box;
    TestHost host;
    fillParadoxTableList(box.list, folder.path(), host);
    EXPECT_EQ(itemsOf(box.list), QStringList{"AREACODE"});
    EXPECT_EQ(folder.files(),
              (QStringList{".tabulex-copy-Live01", "AREACODE.DB", "AREACODE.PX", "AREACODE.VAL"}));
    EXPECT_FALSE(QFileInfo::exists(folder.file("sub/.tabulex-copy-aB3xYz")));
    ::close(fd);
}
