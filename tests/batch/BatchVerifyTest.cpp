// tabulex-batch reads every table back once it has its name: rows a server acknowledges and
// does not keep, or keeps changed, fail the table's verification with the row named, the
// exit status is 1, and the run's JSON report says so table by table.
#include "BatchTestSupport.h"

#include "StandinServer.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace tabulex;
using namespace tabulex::test;

namespace {

// The report's tables by source name.
std::map<QString, QJsonObject> reportedTables(const QString& path, QJsonObject* run = nullptr)
{
    QFile f(path);
    std::map<QString, QJsonObject> tables;
    if (!f.open(QIODevice::ReadOnly))
        return tables;
    const QJsonObject doc = QJsonDocument::fromJson(f.readAll()).object();
    if (run)
        *run = doc;
    for (const QJsonValue& t : doc["tables"].toArray())
        tables[t["source"].toString()] = t.toObject();
    return tables;
}

} // namespace

TEST_F(BatchTest, RowsLostOrChangedOnTheWayFailVerificationByRowAndTheReportSaysSo)
{
    // 20,000 rows, in statements SQL Server takes.
    server->execute("CREATE TABLE [VBIG] ([n] INT, [t] NVARCHAR(20))");
    for (int s = 0; s < 20; ++s) {
        QStringList values;
        for (int i = s * 1000 + 1; i <= s * 1000 + 1000; ++i)
            values << QStringLiteral("(%1, N'row %1')").arg(i);
        server->execute("INSERT INTO [VBIG] VALUES " + values.join(", "));
    }
    makeSqlTable("VSMALL", 30);
    const QString json = folder() + "/run.json";

    // Towards Paradox: both read back from the written tables and verified.
    BatchResult r = batch(
        QStringList{"send", "--to", "paradox", "VBIG", "VSMALL", "--report", json} + connection());
    EXPECT_EQ(r.exitCode, 0) << explain(r);
    EXPECT_TRUE(
        r.err.contains("Summary: 2 tables done (0 skipped, 0 failed), 20,030 rows copied, 0 rows "
                       "failed, 2 verified, "))
        << explain(r);
    QJsonObject run;
    auto tables = reportedTables(json, &run);
    ASSERT_EQ(tables.size(), 2u) << explain(r);
    EXPECT_EQ(tables["VBIG"]["verified"], QJsonValue(true));
    EXPECT_EQ(tables["VBIG"]["rows_written"].toInteger(), 20000);
    EXPECT_EQ(tables["VSMALL"]["verified"], QJsonValue(true));
    EXPECT_EQ(run["exit_status"].toInt(), 0);
    EXPECT_EQ(run["totals"].toObject()["tables_verified"].toInt(), 2);

    // Back towards SQL Server, through a server that drops one row of the one and changes a
    // value of the other.
    StandinServer fresh;
    QStringList args =
        QStringList{"send", "--to", "sql", "VBIG", "VSMALL", "--report", json} + connection();
    args[args.indexOf("--port") + 1] = QString::number(fresh.port());
    args[args.indexOf("--user") + 1] = fresh.user();
    args[args.indexOf("--database") + 1] = fresh.database();
    fresh.control("lose_rows VBIG 1");
    fresh.control("change_value VSMALL");
    r = batch(args);
    EXPECT_EQ(r.exitCode, 1) << explain(r);
    EXPECT_TRUE(r.err.contains("0 verified, 2 not verified")) << explain(r);
    tables = reportedTables(json, &run);
    ASSERT_EQ(tables.size(), 2u) << explain(r);
    EXPECT_EQ(run["exit_status"].toInt(), 1);
    EXPECT_EQ(run["totals"].toObject()["tables_not_verified"].toInt(), 2);
    EXPECT_EQ(tables["VBIG"]["outcome"].toString(), "sent");
    EXPECT_EQ(tables["VBIG"]["verified"], QJsonValue(false));
    const QString lost = tables["VBIG"]["verification_report"].toString();
    EXPECT_TRUE(lost.contains("20,000 rows sent, 19,999 rows in it")) << lost.toStdString();
    EXPECT_TRUE(lost.contains("\nRow 1 of the source: not in the table.")) << lost.toStdString();
    EXPECT_EQ(tables["VSMALL"]["verified"], QJsonValue(false));
    const QString changed = tables["VSMALL"]["verification_report"].toString();
    EXPECT_TRUE(changed.contains("1 row sent is not in it as sent, 1 row of it is not among"))
        << changed.toStdString();
    EXPECT_TRUE(changed.contains("\nRow 1 of the source: field n differs (row 1 of the table)."))
        << changed.toStdString();
    // The tables stay.
    EXPECT_EQ(sqlTable(fresh.connectionString(), "VBIG").size(), 19999u);

    // Without verification the same faults go unseen, as they always did.
    fresh.control("lose_rows VSMALL 1");
    args << "--overwrite"
         << "yes"
         << "--verify"
         << "no";
    args.removeAt(args.indexOf("VBIG"));
    r = batch(args);
    EXPECT_EQ(r.exitCode, 0) << explain(r);
    tables = reportedTables(json);
    EXPECT_TRUE(tables["VSMALL"]["verified"].isNull()) << explain(r);
}
