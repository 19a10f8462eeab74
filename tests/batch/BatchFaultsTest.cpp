// tabulex-batch when rows fail or the server goes away, and what it shows meanwhile.
#include "BatchTestSupport.h"

#include "SilentListener.h"
#include "TestPaths.h"
#include "paradox/TableWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>

using namespace tabulex;
using namespace tabulex::test;

namespace {

} // namespace

TEST_F(BatchTest, ARefusedRowIsReportedAsTheWindowReportsItAndTheOtherRowsArrive)
{
    TABULEX_REQUIRE_FIXTURES();
    copyFixtures("db", {"CUSTOMER"});
    server->failStatements("INSERT INTO \\[CUSTOMER.*Petzold", 8152,
                           "String or binary data would be truncated.");
    const BatchResult toSql = batch(QStringList{"send", "--to", "sql", "CUSTOMER"} + connection());
    EXPECT_EQ(toSql.exitCode, 1) << explain(toSql);
    EXPECT_TRUE(toSql.err.contains(
        "Application Error\n[FreeTDS][SQL Server]String or binary data would be truncated.\n"
        "in Verandi2021/08/31.Form2.PushButton4_Click at line 128\n\n"
        "Please email screenshot of this message to support@quorvane.com\n\n"
        "sql: INSERT INTO [CUSTOMER~tabulex-new-"))
        << explain(toSql);
    EXPECT_TRUE(toSql.err.contains(QRegularExpression(
        "\nsql: INSERT INTO \\[CUSTOMER~tabulex-new-[0-9a-f]{16}\\] VALUES\\('3', N'Lewis', "
        "N'Petzold'")))
        << explain(toSql);
    EXPECT_EQ(sqlTable(server->connectionString(), "CUSTOMER").size(), 19u);
    // The table is done, and its refused row kept in a file the summary names.
    const QRegularExpression kept("\nCUSTOMER: 1 row failed, kept in (/[^\n]+/CUSTOMER-[^\n]+)\n"
                                  "Summary: 1 table done \\(0 skipped, 0 failed\\), 19 rows "
                                  "copied, 1 row failed");
    const auto m = kept.match(toSql.err);
    ASSERT_TRUE(m.hasMatch()) << explain(toSql);
    EXPECT_TRUE(toSql.err.contains("1 row of the table CUSTOMER failed, 19 arrived. It is kept "
                                   "with its error report in " +
                                   m.captured(1) + "\n"))
        << explain(toSql);
    EXPECT_TRUE(QFileInfo(m.captured(1)).isFile()) << explain(toSql);

    // Towards Paradox the staging store refuses a number the field cannot hold.
    server->execute("CREATE TABLE [Nums] ([n] INT, [t] NVARCHAR(10))");
    server->execute("INSERT INTO [Nums] VALUES (-2147483648, N'low'), (5, N'ok'), (6, N'ok')");
    const BatchResult toParadox =
        batch(QStringList{"send", "--to", "paradox", "Nums"} + connection());
    EXPECT_EQ(toParadox.exitCode, 1) << explain(toParadox);
    EXPECT_TRUE(toParadox.err.contains("in Verandi2021/08/31.Form2.PushButton3_Click at line 136"
                                       "\n\nPlease email screenshot of this message to "
                                       "support@quorvane.com\n\nsql: INSERT INTO [Nums] "
                                       "VALUES('-2147483648', 'low')\n"))
        << explain(toParadox);
    EXPECT_EQ(paradoxTable(folder(), "NUMS").size(), 2u);
}

TEST_F(BatchTest, AServerThatDropsTheConnectionMidRunFailsEachTableWithOneReport)
{
    TABULEX_REQUIRE_FIXTURES();
    copyFixtures("db", {"ORDERS", "CUSTOMER"});
    server->control("drop_after 30");
    QElapsedTimer clock;
    clock.start();
    const BatchResult r = batch(
        QStringList{"send", "--to", "sql", "--all", "--rows-per-statement", "1"} + connection());
    EXPECT_EQ(r.exitCode, 1) << explain(r);
    EXPECT_LT(clock.elapsed(), 60000);
    EXPECT_EQ(r.err.count("Application Error\n"), 2) << explain(r);
    EXPECT_TRUE(r.err.contains(QRegularExpression("Application Error\n\\[FreeTDS\\]\\[SQL Server\\]"
                                                  "(Communication link failure|Unexpected EOF)")))
        << explain(r);
    EXPECT_TRUE(r.err.contains("\nORDERS: not sent: ")) << explain(r);
    EXPECT_TRUE(r.err.contains("\nCUSTOMER: not sent: ")) << explain(r);
    // No table arrived in part: rows copied counts only rows that arrived.
    EXPECT_TRUE(r.err.contains("Summary: 0 tables done (0 skipped, 2 failed), 0 rows copied"))
        << explain(r);
    for (const QString& table : sqlTables())
        EXPECT_TRUE(table.contains("~tabulex-new-")) << table.toStdString();
}

// SIGTERM while a table is copied to SQL Server over one of that name: the table it was
// building is dropped and the old one stays.
TEST_F(BatchTest, SigtermTowardsSqlServerKeepsTheOldTableAndDropsTheNewOne)
{
    server->execute("CREATE TABLE [BIG]([old] INT)");
    server->execute("INSERT INTO [BIG] VALUES(1)");
    {
        paradox::TableWriter w((folder() + "/BIG.db").toStdString(),
                               {{"N", paradox::FieldType::Long, 0}});
        for (int i = 0; i < 300000; ++i)
            w.append({paradox::Value(i)});
        w.commit();
    }
    QProcess run;
    run.start(TABULEX_BATCH_PROGRAM,
              QStringList{"send", "--to", "sql", "BIG", "--overwrite", "yes"} + connection());
    run.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("BIG: copying") && run.waitForReadyRead(60000))
        err += run.readAllStandardError();
    ASSERT_TRUE(err.contains("BIG: copying")) << err.toStdString();
    ::kill(pid_t(run.processId()), SIGTERM);
    ASSERT_TRUE(run.waitForFinished(60000));
    err += run.readAllStandardError();
    EXPECT_EQ(run.exitCode(), 128 + SIGTERM) << err.toStdString();
    EXPECT_TRUE(err.contains("; it is not sent;")) << err.toStdString();
    EXPECT_EQ(sqlTables(), QStringList({"BIG"}));
    EXPECT_EQ(server->query("SELECT * FROM [BIG]"), Rows({{Value(1)}}));
}

// --timeout bounds a login to a server that never answers and a statement it holds.
TEST_F(BatchTest, TimeoutBoundsTheLoginAndTheStatement)
{
    SilentListener silent;
    QStringList toSilent = connection();
    toSilent[toSilent.indexOf("--port") + 1] = QString::number(silent.port());
    server->control("delay 30000 sp_tables");
    for (const QStringList& flags : {toSilent, connection()}) {
        QElapsedTimer clock;
        clock.start();
        const BatchResult r = batch(QStringList{"list", "sql", "--timeout", "2"} + flags);
        EXPECT_EQ(r.exitCode, 1) << explain(r);
        EXPECT_LT(clock.elapsed(), 15000) << explain(r);
        EXPECT_TRUE(r.out.isEmpty()) << explain(r);
    }
    server->control("delay 0");
}

TEST_F(BatchTest, ProgressIsOneLinePerTableStartAndEndWithoutATerminalAndABarOnOne)
{
    server->execute("CREATE TABLE [Big] ([name] VARCHAR(40), [amount] DECIMAL(12,2))");
    server->control("fill Big 30000");
    makeSqlTable("Small", 2);
    const QStringList send = QStringList{"send", "--to", "paradox", "Big", "Small"} + connection();

    const BatchResult plain = batch(send);
    EXPECT_EQ(plain.exitCode, 0) << explain(plain);
    const QStringList lines = plain.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << explain(plain);
    EXPECT_EQ(lines[0], "Small: copying 2 rows");
    EXPECT_TRUE(lines[1].startsWith("Small: 2 rows copied, 0 rows failed, ")) << explain(plain);
    EXPECT_EQ(lines[2], "Big: copying 30,000 rows");
    EXPECT_TRUE(lines[3].startsWith("Big: 30,000 rows copied, 0 rows failed, ")) << explain(plain);
    EXPECT_TRUE(lines[4].startsWith("Summary: 2 tables done (0 skipped, 0 failed), 30,002 rows "
                                    "copied, 0 rows failed, "))
        << explain(plain);
    EXPECT_FALSE(plain.err.contains(u'\r'));

    QElapsedTimer clock;
    clock.start();
    const BatchResult bar = batchOnTerminal(send + QStringList{"--overwrite", "yes"}, {});
    const qint64 ms = clock.elapsed();
    EXPECT_EQ(bar.exitCode, 0) << explain(bar);
    // The second table of two.
    const qsizetype draws = bar.out.count("\r\x1b[K2/2 Big [");
    EXPECT_GE(draws, 1) << explain(bar);
    EXPECT_LE(draws, ms / 100 + 2) << explain(bar); // at most ten a second
    EXPECT_TRUE(bar.out.contains(QRegularExpression("Big \\[[#.]{20}\\] [0-9,]+/30,000 rows")))
        << explain(bar);
    EXPECT_TRUE(bar.out.contains("Big: 30,000 rows copied, 0 rows failed")) << explain(bar);
    EXPECT_FALSE(bar.out.contains("copying")) << explain(bar);
}

// SIGTERM between two rows: the table in hand is not sent, nothing is left in the folder or
// the temporary folder, and the summary says how far the run got. No core file is made.
TEST_F(BatchTest, SigtermStopsTheRunBetweenTwoRowsAndLeavesNothingBehind)
{
    makeSqlTable("BIG", 0);
    server->control("fill BIG 200000");
    QTemporaryDir temporary;
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", temporary.path());
    run.setProcessEnvironment(env);
    run.start(TABULEX_BATCH_PROGRAM,
              // The filled rows' mixed scripts fail row by row; the copy goes on regardless.
              QStringList{"send", "--to", "paradox", "BIG", "--overwrite", "no", "--max-row-errors",
                          "0"} +
                  connection());
    run.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("BIG: copying") && run.waitForReadyRead(60000))
        err += run.readAllStandardError();
    ASSERT_TRUE(err.contains("BIG: copying")) << err.toStdString();
    QFile limits(QStringLiteral("/proc/%1/limits").arg(run.processId()));
    ASSERT_TRUE(limits.open(QIODevice::ReadOnly));
    EXPECT_TRUE(
        QString(limits.readAll()).contains(QRegularExpression("Max core file size +0 +0 ")));
    ::kill(pid_t(run.processId()), SIGTERM);
    ASSERT_TRUE(run.waitForFinished(60000));
    err += run.readAllStandardError();
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 128 + SIGTERM) << err.toStdString();
    EXPECT_TRUE(err.contains("Summary: stopped by SIGTERM; BIG was being copied ("))
        << err.toStdString();
    EXPECT_EQ(QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    EXPECT_EQ(QDir(temporary.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList());
}

namespace {

// ORDERS cut short inside its block 5 of 8, sent with each answer to "Salvage?".
struct DamagedCase {
    const char* name;
    QStringList flags;
    int exitCode;
    const char* shows;
    bool sent;
};

class BatchDamaged : public BatchTest, public ::testing::WithParamInterface<DamagedCase> {};

std::vector<double> orderNumbers(const Rows& rows)
{
    std::vector<double> out;
    for (const auto& row : rows)
        out.push_back(row.at(0).toDouble());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST_P(BatchDamaged, ADamagedTableSendsItsReadableRecordsOnlyWhenTheAnswerSaysSalvage)
{
    TABULEX_REQUIRE_FIXTURES();
    const DamagedCase& c = GetParam();
    copyFixtures("db", {"ORDERS"});
    Rows whole = paradoxTable(folder(), "ORDERS");
    ASSERT_EQ(whole.size(), 224u);
    whole.resize(126); // the records of blocks 1 to 4 and the 14 of block 5 before the cut
    ASSERT_TRUE(QFile::resize(folder() + "/ORDERS.DB", 2048 + 4 * 2048 + 1000));

    const BatchResult r =
        batch(QStringList{"send", "--to", "sql", "ORDERS"} + c.flags + connection());
    EXPECT_EQ(r.exitCode, c.exitCode) << explain(r);
    EXPECT_TRUE(r.err.contains(c.shows)) << explain(r);
    EXPECT_EQ(sqlTables().contains("ORDERS"), c.sent) << explain(r);
    if (!c.sent)
        return;
    EXPECT_EQ(orderNumbers(sqlTable(server->connectionString(), "ORDERS")), orderNumbers(whole));
    const QRegularExpression salvaged("\nORDERS: salvaged: 126 records, the report in "
                                      "(/[^\n]+/ORDERS-[^\n]+-damage\\.txt)\n");
    const auto m = salvaged.match(r.err);
    ASSERT_TRUE(m.hasMatch()) << explain(r);
    QFile report(m.captured(1));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly)) << explain(r);
    EXPECT_TRUE(report.readAll().endsWith("the file ends inside block 5: 3 blocks missing\n"
                                          "block 5 of 8: cut off by the end of the file, 14 "
                                          "records lost\n"
                                          "the header counts 224 records, the blocks hold 126\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BatchDamaged,
    ::testing::Values(
        DamagedCase{"Salvage",
                    {"--damaged", "salvage"},
                    0,
                    "Salvage? ORDERS is damaged:\n"
                    "the file ends inside block 5: 3 blocks missing\n"
                    "block 5 of 8: cut off by the end of the file, 14 records lost\n"
                    "the header counts 224 records, the blocks hold 126\n"
                    "Would you like to send the 126 records that can be read? yes (--damaged "
                    "salvage)\n",
                    true},
        DamagedCase{"SkipFailsAsBefore",
                    {"--damaged", "skip"},
                    1,
                    "Application Error\nParadox table ORDERS: the file is truncated inside "
                    "block 5\nin Verandi2021/08/31.Form2.PushButton4_Click at line 130",
                    false},
        DamagedCase{"NoAnswerWithoutATerminal",
                    {},
                    2,
                    "standard input is not a terminal to ask on: ORDERS damaged; give "
                    "--damaged salvage or --damaged skip",
                    false}),
    [](const auto& row) { return std::string(row.param.name); });
