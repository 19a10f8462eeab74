// A send leaves alone a Paradox table that a Paradox program may hold, and reads a Paradox
// table that a program writes meanwhile once more.
#include "ParadoxLockFiles.h"
#include "TestPaths.h"
#include "TransferFixture.h"

#include "folders/TableLocks.h"
#include "tables/ListFill.h"

#include <QDateTime>
#include <QFile>

#include <functional>

using namespace tabulex;
using namespace tabulex::test;

namespace {

using Kind = ScriptedPrompter::Kind;

QByteArray contentsOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList sqlTables()
{
    MemoryTableList list;
    TestHost quiet;
    fillSqlTableList(list, TransferTest::server->connectionString(), quiet);
    return list.items();
}

// A host that lets a program write the table once in each read, at its tenth row.
struct WritingHost : TestHost {
    std::function<void()> write;
    int reads = 0;
    void setRowProgress(const RowProgress& p) override
    {
        reads += p.done == 0 && !p.finished ? 1 : 0;
        if (p.done == 10 && !p.finished && write)
            write();
    }
};

} // namespace

TEST_F(TransferTest, ALockedParadoxTableIsNotOverwrittenAndTheNextTableGoesOn)
{
    TABULEX_REQUIRE_FIXTURES();
    copyFixtures("db", {"ORDERS"});
    refillParadoxList();
    server->execute("CREATE TABLE [ORDERS]([v] INT)");
    server->execute("INSERT INTO [ORDERS] VALUES(1)");
    server->execute("CREATE TABLE [Other]([v] INT)");
    const QByteArray db = contentsOf(folder() + "/ORDERS.DB");
    const QByteArray px = contentsOf(folder() + "/ORDERS.PX");
    const QStringList locks = writeParadoxLockFiles(folder(), "ORDERS");
    {
        const OpenFiles program(locks);
        host.prompts.questionAnswers = {true}; // Overwrite?
        const TransferSummary s = toParadox({"ORDERS", "Other"});
        EXPECT_EQ(s.tablesFailed, 1);
        EXPECT_EQ(s.tablesSent, 1); // Other: the folder's lock files hold no table not there
        ASSERT_EQ(host.prompts.errorReports().size(), 1u);
        const QString report = host.prompts.errorReports()[0];
        EXPECT_TRUE(report.startsWith("ORDERS was not overwritten: a Paradox program may have it "
                                      "open.\nLock files: " +
                                      locks[0] + " (" + kLockFileTime + "), "))
            << report.toStdString();
        EXPECT_TRUE(report.contains("PushButton3_Click at line 117")) << report.toStdString();
    }
    EXPECT_EQ(contentsOf(folder() + "/ORDERS.DB"), db);
    EXPECT_EQ(contentsOf(folder() + "/ORDERS.PX"), px);

    // Stale: the user is asked; No keeps the table, Yes overwrites it.
    host.prompts.clear();
    host.prompts.questionAnswers = {true, false, true, true};
    EXPECT_EQ(toParadox({"ORDERS"}).tablesSkipped, 1);
    EXPECT_EQ(contentsOf(folder() + "/ORDERS.DB"), db);
    EXPECT_EQ(toParadox({"ORDERS"}).tablesSent, 1);
    const auto questions = host.prompts.of(Kind::Question);
    ASSERT_EQ(questions.size(), 4u);
    EXPECT_EQ(questions[1].title, kStaleLockTitle);
    EXPECT_TRUE(questions[1].text.endsWith("Overwrite ORDERS all the same?"))
        << questions[1].text.toStdString();
    EXPECT_EQ(paradoxRows("ORDERS").size(), 1u);
    EXPECT_TRUE(host.prompts.errorReports().empty());
}

TEST_F(TransferTest, AParadoxTableThatChangesWhileItIsReadIsReadOnceMore)
{
    TABULEX_REQUIRE_FIXTURES();
    copyFixtures("db", {"ORDERS"});
    const QString db = folder() + "/ORDERS.DB";
    WritingHost writing;
    int writes = 0;
    int allowed = 1;
    writing.write = [&] {
        if (writes >= allowed)
            return;
        ++writes; // a program's write: the table's time moves on
        QFile f(db);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(writes),
                                  QFileDevice::FileModificationTime));
    };
    const auto send = [&] {
        paradoxList.clear();
        paradoxList.addItem("ORDERS");
        paradoxList.select({"ORDERS"});
        TransferContext ctx = context();
        ctx.host = &writing;
        return sendTablesToSqlServer(ctx);
    };
    TransferSummary s = send();
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(writing.reads, 2);
    EXPECT_EQ(s.tablesSent, 1);
    EXPECT_EQ(s.rowsCopied, 224);
    EXPECT_TRUE(writing.prompts.errorReports().empty());
    EXPECT_EQ(sqlRows("ORDERS").size(), 224u);

    // Written during both reads: the table fails, and the one on the server stays.
    writes = 0;
    allowed = 2;
    writing.prompts.questionAnswers = {true}; // Overwrite?
    s = send();
    EXPECT_EQ(writes, 2);
    EXPECT_EQ(s.tablesFailed, 1);
    ASSERT_EQ(writing.prompts.errorReports().size(), 1u);
    EXPECT_TRUE(writing.prompts.errorReports()[0].startsWith(
        "Paradox table ORDERS: the table changed while it was read (its size, time or header); "
        "it was read again and changed again\r\n"))
        << writing.prompts.errorReports()[0].toStdString();
    EXPECT_EQ(sqlTables(), QStringList{"ORDERS"});
    EXPECT_EQ(sqlRows("ORDERS").size(), 224u);
}
