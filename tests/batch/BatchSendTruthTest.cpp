// tabulex-batch when many rows fail, values hold control characters, a run is killed, or a
// header's row count is wrong: the old table stays, values arrive, nothing half-made is
// listed, and the lines say what happened.
#include "BatchTestSupport.h"

#include "TestPaths.h"
#include "paradox/TableWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <csignal>

using namespace tabulex;
using namespace tabulex::test;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
}

// Every table of the stand-in's catalogue, Tabulex's own included.
QStringList catalogue()
{
    QStringList names;
    for (const auto& row : TransferTest::server->query("EXEC sp_tables"))
        if (row[3].toText() == "TABLE")
            names << row[2].toText();
    names.sort(Qt::CaseInsensitive);
    return names;
}

// The rejected-rows file a batch run names for the table, and its INSERT statements.
QStringList rejectedStatements(const BatchResult& r, const QString& table)
{
    const QRegularExpression kept("\n" + table + ": [0-9,]+ rows? failed, kept in ([^\n]+)\n");
    const QRegularExpressionMatch m = kept.match(r.err);
    if (!m.hasMatch())
        return {"no file named"};
    QStringList statements;
    for (const QString& line : QString::fromUtf8(fileBytes(m.captured(1))).split(u'\n'))
        if (line.startsWith("INSERT"))
            statements << line;
    return statements;
}

} // namespace

TEST_F(BatchTest, RowsFailingPastTheLimitOrAllOfThemNeverReplaceATable)
{
    TABULEX_REQUIRE_FIXTURES();
    // A 205-row KB.db with its index, a secondary index and validity checks.
    const QString db = paradoxFixtures() + "/db/";
    const QStringList family[] = {{"ORDERS.DB", "KB.db"},
                                  {"ORDERS.PX", "KB.PX"},
                                  {"CUSTOMER.X06", "KB.X02"},
                                  {"AREACODE.VAL", "KB.VAL"}};
    std::map<QString, QByteArray> before;
    for (const QStringList& f : family) {
        ASSERT_TRUE(QFile::copy(db + f[0], folder() + u'/' + f[1]));
        QFile::setPermissions(folder() + u'/' + f[1], QFile::ReadOwner | QFile::WriteOwner);
        before[f[1]] = fileBytes(folder() + u'/' + f[1]);
    }
    // 20,000 rows, each a BIGINT that no Paradox number holds exactly.
    server->execute("CREATE TABLE [KB] ([id] BIGINT)");
    for (int s = 0; s < 20; ++s) {
        QStringList values;
        for (int i = 0; i < 1000; ++i)
            values << QStringLiteral("(%1)").arg((qint64(1) << 55) + 1 + 2 * (s * 1000 + i));
        server->execute("INSERT INTO [KB] VALUES " + values.join(", "));
    }
    for (const QString& limit : {QString(), QString("0")}) {
        QStringList args{"send", "--to", "paradox", "KB", "--overwrite", "yes"};
        if (!limit.isEmpty())
            args << "--max-row-errors" << limit;
        const BatchResult r = batch(args + connection());
        EXPECT_EQ(r.exitCode, 1) << explain(r);
        for (const auto& [name, bytes] : before)
            EXPECT_TRUE(fileBytes(folder() + u'/' + name) == bytes) << name.toStdString();
        EXPECT_EQ(QDir(folder()).entryList(QDir::Files).size(), before.size()) << explain(r);
        EXPECT_LT(r.err.count(u'\n'), 100) << explain(r);
        EXPECT_TRUE(r.err.contains("\nKB: not sent: ")) << explain(r);
        EXPECT_TRUE(r.err.contains("Summary: 0 tables done (0 skipped, 1 failed), 0 rows copied"))
            << explain(r);
        if (limit.isEmpty()) {
            EXPECT_EQ(rejectedStatements(r, "KB").size(), 10) << explain(r);
            EXPECT_TRUE(r.err.contains("10 rows of the table KB failed, as many as a table may "
                                       "have; it is not sent."))
                << explain(r);
        } else {
            EXPECT_TRUE(r.err.contains("None of the 20000 rows of the table KB arrived; it is "
                                       "not sent."))
                << explain(r);
        }
    }
}

TEST_F(BatchTest, TextWithNulCharactersArrivesAsItIsAndFailedRowsCanBeRunAgain)
{
    TABULEX_REQUIRE_FIXTURES();
    copyFixtures("bde", {"Test"});
    const BatchResult r = batch(QStringList{"send", "--to", "sql", "TEST"} + connection());
    EXPECT_EQ(r.exitCode, 0) << explain(r);
    QStringList fields;
    const Rows sent = paradoxTable(folder(), "Test", &fields);
    const Rows arrived = sqlTable(server->connectionString(), "TEST");
    ASSERT_EQ(arrived.size(), 18u) << explain(r);
    ASSERT_EQ(sent.size(), 18u);
    const int memo = int(fields.indexOf(QRegularExpression("^Memo\\b.*")));
    ASSERT_GE(memo, 0) << fields.join(", ").toStdString();
    int withNul = 0;
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(arrived[i][0].toText(), sent[i][0].toText());
        EXPECT_EQ(arrived[i][size_t(memo)].toText(), sent[i][size_t(memo)].toText()) << i;
        withNul += sent[i][size_t(memo)].toText().contains(QChar(0));
    }
    EXPECT_GE(withNul, 1);

    // A refused row with a NUL is kept as a statement that runs as it stands.
    server->execute("DROP TABLE [TEST]");
    server->failStatements("INSERT INTO \\[TEST.*blank2", 8152,
                           "String or binary data would be truncated.");
    const BatchResult failed = batch(QStringList{"send", "--to", "sql", "TEST"} + connection());
    const QStringList kept = rejectedStatements(failed, "TEST");
    ASSERT_EQ(kept.size(), 1) << explain(failed);
    EXPECT_TRUE(kept[0].contains("N'blank memo' + NCHAR(0)")) << kept[0].toStdString();
    EXPECT_FALSE(kept[0].contains(QChar(0)));
    server->control("clear");
    server->execute(kept[0]);
    EXPECT_EQ(sqlTable(server->connectionString(), "TEST").size(), 18u);
}

TEST_F(BatchTest, AfterAKilledSendNothingHalfMadeIsListedAndASetAsideTableComesBack)
{
    TABULEX_REQUIRE_FIXTURES();
    copyFixtures("db", {"ORDERS"});
    ASSERT_EQ(batch(QStringList{"send", "--to", "sql", "ORDERS"} + connection()).exitCode, 0);
    // The second send is killed once it has set the old ORDERS aside, before the new one
    // takes the name.
    server->control("delay 4000 sp_rename '\\[ORDERS~tabulex-new");
    QProcess run;
    run.start(TABULEX_BATCH_PROGRAM,
              QStringList{"send", "--to", "sql", "ORDERS", "--overwrite", "yes"} + connection());
    QElapsedTimer clock;
    clock.start();
    bool setAside = false;
    while (!setAside && clock.elapsed() < 60000) {
        QThread::msleep(50);
        for (const QString& s : server->statementLog())
            setAside = setAside || s.startsWith("sp_rename '[ORDERS]'");
    }
    ASSERT_TRUE(setAside);
    QThread::msleep(300);
    ::kill(pid_t(run.processId()), SIGKILL);
    ASSERT_TRUE(run.waitForFinished(10000));
    // The server ends the killed run's session once its delayed reply finds no reader.
    while (server->status().openConnections > 0 && clock.elapsed() < 60000)
        QThread::msleep(50);
    server->control("clear");
    const QStringList left = catalogue();
    ASSERT_EQ(left.size(), 2) << left.join(", ").toStdString();
    EXPECT_FALSE(left.contains("ORDERS"));

    const BatchResult list = batch(QStringList{"list", "sql"} + connection());
    EXPECT_EQ(list.exitCode, 0) << explain(list);
    EXPECT_EQ(list.out, "ORDERS\n") << explain(list);
    EXPECT_TRUE(list.err.contains(QRegularExpression(
        "The table ORDERS was left as ORDERS~tabulex-old-[0-9a-f]{16} by a run that ended "
        "early; it has its own name again.")))
        << explain(list);
    EXPECT_EQ(catalogue(), QStringList{"ORDERS"});
    EXPECT_EQ(sqlTable(server->connectionString(), "ORDERS").size(), 224u);
}

TEST_F(BatchTest, RowTotalsAreTheRowsReadAndATableMessageSaysHowManyArrived)
{
    // WRONG's header says 30 rows while it holds 42; RIGHT says its 42.
    for (const char* name : {"WRONG", "RIGHT"}) {
        paradox::TableWriter w((folder() + u'/' + name + ".db").toStdString(),
                               {{"N", paradox::FieldType::Long, 0}});
        for (int i = 0; i < 42; ++i)
            w.append({paradox::Value(i)});
        w.commit();
    }
    QFile header(folder() + "/WRONG.db");
    ASSERT_TRUE(header.open(QIODevice::ReadWrite));
    header.seek(6);
    const char thirty[4] = {30, 0, 0, 0};
    header.write(thirty, 4);
    header.close();
    const BatchResult wrong =
        batch(QStringList{"send", "--to", "sql", "WRONG", "--damaged", "skip"} + connection());
    EXPECT_EQ(wrong.exitCode, 1) << explain(wrong);
    EXPECT_TRUE(wrong.err.contains("WRONG: stopped after 42 rows, 0 rows failed"))
        << explain(wrong);
    EXPECT_FALSE(wrong.err.contains(" of 30")) << explain(wrong);

    // Rows that fail alone: the message says how many arrived, and the file's advice fits.
    server->failStatements("INSERT INTO \\[RIGHT.*'(3|7)'", 8152,
                           "String or binary data would be truncated.");
    const BatchResult some = batch(
        QStringList{"send", "--to", "sql", "RIGHT", "--rows-per-statement", "1"} + connection());
    EXPECT_EQ(some.exitCode, 1) << explain(some);
    EXPECT_TRUE(some.err.contains("2 rows of the table RIGHT failed, 40 arrived. They are kept "
                                  "with their error reports in "))
        << explain(some);
    EXPECT_TRUE(some.err.contains("RIGHT: 40 rows copied, 2 rows failed, ")) << explain(some);
    EXPECT_TRUE(QString::fromUtf8(
                    fileBytes(QRegularExpression("kept in ([^\n]+)\n").match(some.err).captured(1)))
                    .contains("Mend them and run the statements again."))
        << explain(some);

    // Towards Paradox the kept statements are the staging store's, which nothing runs.
    server->execute("CREATE TABLE [Nums] ([n] INT)");
    server->execute("INSERT INTO [Nums] VALUES (-2147483648), (5)");
    const BatchResult toParadox =
        batch(QStringList{"send", "--to", "paradox", "Nums"} + connection());
    const QString kept = QString::fromUtf8(
        fileBytes(QRegularExpression("kept in ([^\n]+)\n").match(toParadox.err).captured(1)));
    EXPECT_TRUE(kept.contains("they cannot be run")) << explain(toParadox);
    EXPECT_FALSE(kept.contains("run the statements again")) << explain(toParadox);
}
