// A table is replaced only by a complete copy; a failure that ends a table is reported once;
// rows that fail are kept and their reports can be quieted.
#include "TransferFixture.h"

#include "core/SqlQuoting.h"
#include "paradox/TableWriter.h"
#include "tables/ListFill.h"
#include "transfer/RejectedRows.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <functional>

#include <sys/stat.h>

using namespace tabulex;
using namespace tabulex::test;

namespace {

using Kind = ScriptedPrompter::Kind;

// A Paradox table of numbered rows: N and a text.
void writeParadoxTable(const QString& folder, const QString& name, int rows)
{
    using paradox::FieldType;
    paradox::TableWriter w((folder + u'/' + name + ".db").toStdString(),
                           {{"N", FieldType::Long, 0}, {"Text", FieldType::Alpha, 40}});
    for (int i = 0; i < rows; ++i)
        w.append({paradox::Value(i), paradox::Value("row " + std::to_string(i))});
    w.commit();
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QStringList folderEntries(const QString& folder)
{
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

// What a fault does to a table towards SQL Server, and the statement its one report shows.
struct SqlFault {
    const char* name;
    std::function<void(const QString& folder, StandinServer& server)> arrange;
    const char* statement;
    bool connectionLost = false;
    bool damaged = false; // the salvage question comes, and No keeps the table as it fails
};

class FatalTowardsSqlServer : public TransferTest, public ::testing::WithParamInterface<SqlFault> {
protected:
    QStringList serverTables()
    {
        MemoryTableList list;
        fillSqlTableList(list, server->connectionString(), host);
        return list.items();
    }
};

} // namespace

// Overwrite was agreed, then the table ORDERS cannot be sent to its end: the server keeps the
// old ORDERS, one report shows the statement that failed, and the run goes on with GOOD.
TEST_P(FatalTowardsSqlServer, KeepsTheOldTableAndReportsOnce)
{
    const SqlFault& fault = GetParam();
    server->execute("CREATE TABLE [ORDERS]([old] NVARCHAR(10))");
    server->execute("INSERT INTO [ORDERS] VALUES(N'first'), (N'second')");
    sqlList.addItem("ORDERS");
    writeParadoxTable(folder(), "ORDERS", 3000);
    writeParadoxTable(folder(), "GOOD", 2);
    fault.arrange(folder(), *server);
    host.prompts.questionAnswers = {true};
    if (fault.damaged)
        host.prompts.questionAnswers.push_back(false);

    const TransferSummary s = toSqlServer({"GOOD", "ORDERS"});
    const std::vector<QString> reports = host.prompts.errorReports();
    ASSERT_EQ(reports.size(), fault.connectionLost ? 2u : 1u);
    EXPECT_TRUE(reports[0].contains(QStringLiteral("\r\rsql: ") + fault.statement))
        << reports[0].toStdString();
    ASSERT_EQ(s.failures.size(), fault.connectionLost ? 2u : 1u);
    EXPECT_EQ(s.failures[0].table, "ORDERS");
    EXPECT_FALSE(s.failures[0].cause.isEmpty());
    EXPECT_EQ(s.tablesSent, fault.connectionLost ? 0 : 1);
    EXPECT_EQ(s.rowsCopied, fault.connectionLost ? 0 : 2);
    if (fault.connectionLost)
        return;
    EXPECT_EQ(sqlRows("ORDERS"), Rows({{Value("first")}, {Value("second")}}));
    EXPECT_EQ(sqlRows("GOOD").size(), 2u);
    EXPECT_EQ(serverTables(), QStringList({"GOOD", "ORDERS"}));
    EXPECT_EQ(sqlList.items(), QStringList({"GOOD", "ORDERS"}));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FatalTowardsSqlServer,
    ::testing::Values(
        SqlFault{"SourceUnreadable",
                 [](const QString& folder, StandinServer&) {
                     QFile f(folder + "/ORDERS.db");
                     ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
                     f.write(QByteArray(4096, 'x'));
                 },
                 "SELECT * FROM [ORDERS]"},
        SqlFault{"SourceCutShort",
                 [](const QString& folder, StandinServer&) {
                     QFile f(folder + "/ORDERS.db");
                     ASSERT_TRUE(f.resize(f.size() / 2));
                 },
                 "SELECT * FROM [ORDERS]", false, true},
        SqlFault{"CreateRefused",
                 [](const QString&, StandinServer& server) {
                     server.failStatements("^CREATE TABLE \\[ORDERS", 262,
                                           "CREATE TABLE permission denied in database "
                                           "'tabulex'.");
                 },
                 "CREATE TABLE [ORDERS~tabulex-new-"},
        SqlFault{"ConnectionLost",
                 [](const QString&, StandinServer& server) { server.control("drop_after 4"); },
                 "INSERT INTO [ORDERS~tabulex-new-", true}),
    [](const auto& test) { return std::string(test.param.name); });

namespace {

// What a fault does to a table towards Paradox, and the statement its one report shows.
struct ParadoxFault {
    const char* name;
    std::function<void(StandinServer& server)> arrange;
    const char* statement;
};

class FatalTowardsParadox : public TransferTest,
                            public ::testing::WithParamInterface<ParadoxFault> {};

} // namespace

// Overwrite was agreed, then F2 cannot be sent to its end: its old files stay as they were,
// and nothing else is left in the folder.
TEST_P(FatalTowardsParadox, KeepsTheOldFilesAndReportsOnce)
{
    server->execute("CREATE TABLE [F2]([n] INT, [memo] NVARCHAR(MAX))");
    for (int first = 0; first < 2000; first += 1000) {
        QStringList rows;
        for (int i = first; i < first + 1000; ++i)
            rows << QStringLiteral("(%1, N'memo %1 %2')").arg(i).arg(QString(300, u'm'));
        server->execute("INSERT INTO [F2] VALUES" + rows.join(", "));
    }
    toParadox({"F2"});
    for (const QString& report : host.prompts.errorReports())
        FAIL() << report.toStdString();
    ASSERT_EQ(folderEntries(folder()), QStringList({"F2.db", "F2.mb"}));
    const QByteArray db = fileHash(folder() + "/F2.db"), mb = fileHash(folder() + "/F2.mb");
    GetParam().arrange(*server);
    host.prompts.clear();
    host.prompts.questionAnswers = {true};

    const TransferSummary s = toParadox({"F2"});
    const std::vector<QString> reports = host.prompts.errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains(QStringLiteral("\r\rsql: ") + GetParam().statement))
        << reports[0].toStdString();
    EXPECT_EQ(s.tablesFailed, 1);
    EXPECT_EQ(s.tablesSent, 0);
    EXPECT_EQ(s.rowsCopied, 0);
    EXPECT_EQ(folderEntries(folder()), QStringList({"F2.db", "F2.mb"}));
    EXPECT_EQ(fileHash(folder() + "/F2.db"), db);
    EXPECT_EQ(fileHash(folder() + "/F2.mb"), mb);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FatalTowardsParadox,
    ::testing::Values(ParadoxFault{"SelectRefused",
                                   [](StandinServer& server) {
                                       server.failStatements(
                                           "^SELECT \\* FROM \\[F2\\]", 229,
                                           "The SELECT permission was denied on the object "
                                           "'F2'.");
                                   },
                                   "SELECT * FROM [F2]"},
                      ParadoxFault{"ConnectionCutInTheResult",
                                   [](StandinServer& server) {
                                       server.control("cut_after 100000 ^SELECT \\* FROM \\[F2\\]");
                                   },
                                   "SELECT * FROM [F2]"},
                      ParadoxFault{"ExportRefused",
                                   [](StandinServer& server) {
                                       // An Alpha field cannot hold U+0000.
                                       server.execute("DROP TABLE [F2]");
                                       server.execute("CREATE TABLE [F2]([n] INT, [a] "
                                                      "NVARCHAR(10))");
                                       server.execute("INSERT INTO [F2] VALUES(1, N'a' + "
                                                      "NCHAR(0))");
                                   },
                                   "select * into [Paradox 5.x;Database="}),
    [](const auto& test) { return std::string(test.param.name); });

// The check box of a row's error report quiets the table's further row errors; every row
// that failed is kept in a file of its own, which the table's end message names.
TEST_F(TransferTest, RowErrorsCanBeQuietedAndAreKeptToBeSentAgain)
{
    for (const bool tick : {false, true}) {
        SCOPED_TRACE(tick);
        server->reset();
        host.prompts.clear();
        sqlList.clear();
        QFile::remove(folder() + "/ROWS.db");
        writeParadoxTable(folder(), "ROWS", 6);
        server->failStatements("'row [134]'", 8152, "String or binary data would be truncated.");
        host.prompts.rowErrorTicks = {tick};

        const TransferSummary s = toSqlServer({"ROWS"});
        EXPECT_EQ(host.prompts.of(Kind::RowErrorReport).size(), tick ? 1u : 3u);
        EXPECT_EQ(s.tablesSent, 1);
        EXPECT_EQ(s.rowsCopied, 3);
        EXPECT_EQ(s.rowsFailed, 3);
        EXPECT_EQ(sqlRows("ROWS").size(), 3u);
        ASSERT_EQ(s.rejected.size(), 1u);
        const QString path = s.rejected[0].path;
        EXPECT_TRUE(path.startsWith(rejectedRowsFolder() + "/ROWS-")) << path.toStdString();
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        const auto messages = host.prompts.of(Kind::Message);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text,
                  "3 rows of the table ROWS failed, 3 arrived. They are kept with their error "
                  "reports in " +
                      path);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString kept = QString::fromUtf8(file.readAll());
        EXPECT_EQ(kept.count("\nINSERT INTO [ROWS] VALUES("), 3);
        EXPECT_TRUE(kept.contains("\n-- [FreeTDS][SQL Server]String or binary data would be "
                                  "truncated.\n-- in Verandi2021/08/31.Form2.PushButton4_Click at "
                                  "line 128\n-- \n-- Please email screenshot of this message to "
                                  "support@quorvane.com\nINSERT INTO [ROWS] VALUES('3', N'row "
                                  "3');\n"))
            << kept.toStdString();
    }
}

// Towards Paradox a time finer than a millisecond is rounded to the nearest one, and the
// table's end says how many values of the field were.
TEST_F(TransferTest, TimesFinerThanAMillisecondArriveRounded)
{
    server->execute("CREATE TABLE [Times]([at] DATETIME2(7))");
    for (const char* at :
         {"2024-01-02T03:04:05.1234567", "2024-12-31T23:59:59.9999999", "2024-01-02T03:04:05.123"})
        server->execute(QStringLiteral("INSERT INTO [Times] VALUES('%1')").arg(at));
    const TransferSummary s = toParadox({"Times"});
    EXPECT_TRUE(host.prompts.errorReports().empty());
    EXPECT_EQ(s.rowsCopied, 3);
    const auto messages = host.prompts.of(Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "2 values of field at were rounded to whole milliseconds.");
    EXPECT_EQ(paradoxRows("Times"), Rows({{Value(Timestamp{{2024, 1, 2}, {3, 4, 5, 123000000}})},
                                          {Value(Timestamp{{2025, 1, 1}, {0, 0, 0, 0}})},
                                          {Value(Timestamp{{2024, 1, 2}, {3, 4, 5, 123000000}})}}));
}
