// The two transfers against the SQL Server stand-in on loopback, each measured against a
// bare baseline in the same run:
//   Paradox to SQL Server: the transfer, against a loop that executes the same multi-row
//   INSERT texts through the same ODBC driver (only the statements, nothing read or built);
//   SQL Server to Paradox: the transfer (client-side recordset, staging store, export),
//   against a plain fetch of the same rows streamed straight into the Paradox writer.
// Then a table too large for blocks of 4 KB (1,200,000 rows of a varchar(40), a
// decimal(9,0), a float and a datetime) sent to Paradox, and read back by pxlib: does it
// arrive whole, with the server's values? Then the peak memory of each transfer at a larger
// row count, each in a child process. Then, with every reply of the stand-in delayed by 1 ms
// as on a network, the transfer to SQL Server with one INSERT per row against the same with
// many rows to a statement.
// Then each transfer with its verification (the table read back and compared) over the same
// without, both directions (--only-verify: only this and the peak memory, which is measured
// with verification on).
// Last line: p2s_ratio=<x> s2p_ratio=<y> peak_mb=<z> latency_speedup=<w>
// verify_overhead_p2s=<a> verify_overhead_s2p=<b>
#include "BenchTable.h"
#include "BigTable.h"
#include "StandinServer.h"
#include "connect/ConnectionStrings.h"
#include "data/Connection.h"
#include "data/Recordset.h"
#include "host/CommandHost.h"
#include "host/MemoryTableList.h"
#include "host/Prompter.h"
#include "paradox/TableReader.h"
#include "paradox/TableWriter.h"
#include "paradox/Value.h"
#include "staging/ParadoxExport.h"
#include "transfer/Statements.h"
#include "transfer/Transfers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <stdexcept>

using namespace tabulex;

namespace {

// Answers every question with Yes and fails the run on any error report.
class BenchPrompter : public Prompter {
public:
    void message(const QString& text, const QString&) override { fail(text); }
    bool question(const QString&, const QString&) override { return true; }
    QString inputBox(const QString&, const QString&, const QString& d) override { return d; }
    QString browseFolder(const QString&, const QString&) override { return {}; }
    void errorReport(const QString& text) override { fail(text); }
    void openUrl(const QUrl&) override {}
    void showResults(const RunResults&) override {}
    // The default mapping: the head unchanged.
    std::optional<CustomizeResult> customizeTypes(const CustomizeRequest& r) override
    {
        return CustomizeResult{r.head, {}, {}};
    }

private:
    [[noreturn]] static void fail(const QString& text)
    {
        throw std::runtime_error("unexpected report: " + text.toStdString());
    }
};

// A host like the table window's: events at most every 10 ms.
class BenchHost : public CommandHost {
public:
    BenchHost() { m_events.start(); }
    Prompter& prompter() override { return m_prompter; }
    void setWaitPointer(bool) override {}
    void processEvents() override
    {
        if (m_events.elapsed() >= 10) {
            QCoreApplication::processEvents();
            m_events.restart();
        }
    }
    void setProgress(int) override {}
    void setProgressText(const QString&) override {}

private:
    BenchPrompter m_prompter;
    QElapsedTimer m_events;
};

TransferSummary runTransfer(bool toSql, const QString& sql, const QString& folder,
                            const QString& table, int rowsPerStatement = kDefaultRowsPerStatement,
                            bool verify = true)
{
    BenchHost host;
    MemoryTableList sqlList, paradoxList;
    TransferContext ctx;
    ctx.host = &host;
    ctx.sqlList = &sqlList;
    ctx.paradoxList = &paradoxList;
    ctx.sqlConnectionString = [sql] { return sql; };
    ctx.paradoxConnectionString = [folder] { return paradoxConnectionString(folder); };
    ctx.paradoxFolder = [folder] { return folder; };
    ctx.rowsPerStatement = rowsPerStatement;
    ctx.verify = verify;
    (toSql ? paradoxList : sqlList).addItem(table);
    (toSql ? paradoxList : sqlList).select({table});
    return toSql ? sendTablesToSqlServer(ctx) : sendTablesToParadox(ctx);
}

// A Paradox table of ten mixed fields.
// Built by appending: GCC 12 warns (-Wrestrict, wrongly) on a literal + std::to_string at -O2.
std::string numbered(const char* prefix, int n)
{
    std::string text(prefix);
    text += std::to_string(n);
    return text;
}

void writeParadoxTable(const QString& folder, const QString& table, int rows)
{
    using paradox::FieldType;
    paradox::TableWriter w((folder + u'/' + table + QStringLiteral(".db")).toStdString(),
                           {{"ID", FieldType::Long, 0},
                            {"Qty", FieldType::Short, 0},
                            {"Price", FieldType::Number, 0},
                            {"Amount", FieldType::Money, 0},
                            {"Name", FieldType::Alpha, 40},
                            {"Born", FieldType::Date, 0},
                            {"At", FieldType::Timestamp, 0},
                            {"Paid", FieldType::Logical, 0},
                            {"Code", FieldType::Alpha, 10},
                            {"Note", FieldType::Alpha, 80}});
    std::vector<paradox::Value> row(10);
    for (int i = 0; i < rows; ++i) {
        row[0] = paradox::Value(i);
        row[1] = paradox::Value(i % 30000);
        row[2] = paradox::Value(double(i) / 7.0);
        row[3] = paradox::Value(double(i % 100000) + 0.25);
        row[4] = paradox::Value(numbered("Customer ", i));
        row[5] = paradox::Value(paradox::Date{1950 + i % 70, 1 + i % 12, 1 + i % 28});
        row[6] = paradox::Value(paradox::Timestamp{{2024, 2, 1 + i % 28}, {13, 45, i % 60, 500}});
        row[7] = paradox::Value(i % 2 == 0);
        row[8] = paradox::Value(numbered("C", i % 99999));
        row[9] = paradox::Value(numbered("A note for row ", i) + ", it's fine");
        w.append(row);
    }
    w.commit();
}

double seconds(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }

// The INSERT texts the transfer sends for a Paradox table, as many rows to a statement as it
// puts there, built before the clock starts.
QStringList insertTexts(const QString& folder, const QString& table, QString& create)
{
    Connection pdx;
    pdx.cursorLocation = ado::adUseClient;
    pdx.open(paradoxConnectionString(folder));
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM [%1]").arg(table), pdx);
    std::vector<ColumnPlan> plans;
    for (const Field& f : rs.fields())
        plans.push_back(defaultColumnPlan(f, Direction::ToSqlServer));
    create = completeCreateTable(QStringLiteral("CREATE TABLE [%1](").arg(table + "_BARE"),
                                 rs.fields(), plans);
    QStringList out;
    QString statement;
    int rows = 0;
    for (; !rs.atEnd(); rs.moveNext()) {
        statement += rows == 0 ? insertHead(table + "_BARE") : QStringLiteral(", ");
        appendValues(statement, rs.fields(), plans);
        if (++rows == kDefaultRowsPerStatement) {
            out << statement;
            statement.clear();
            rows = 0;
        }
    }
    if (rows > 0)
        out << statement;
    return out;
}

double bareInserts(const QString& sql, const QString& create, const QStringList& inserts)
{
    Connection c;
    c.open(sql);
    try {
        c.execute(QStringLiteral("DROP TABLE [BENCH_BARE]"));
    } catch (const std::exception&) {
    }
    c.execute(create);
    QElapsedTimer t;
    t.start();
    for (const QString& s : inserts)
        c.driver().execute(s);
    return seconds(t);
}

// A plain fetch of the SQL Server table streamed into the Paradox writer.
double bareFetchAndWrite(const QString& sql, const QString& folder, const QString& table)
{
    using paradox::FieldType;
    QElapsedTimer t;
    t.start();
    Connection c;
    c.open(sql);
    auto cursor = c.driver().query(QStringLiteral("SELECT * FROM [%1]").arg(table));
    paradox::TableWriter w((folder + QStringLiteral("/BARE.db")).toStdString(),
                           {{"id", FieldType::Long, 0},
                            {"code", FieldType::Number, 0},
                            {"name", FieldType::Alpha, 255},
                            {"note", FieldType::Alpha, 255},
                            {"amount", FieldType::Number, 0},
                            {"ratio", FieldType::Number, 0},
                            {"created", FieldType::Timestamp, 0},
                            {"active", FieldType::Logical, 0},
                            {"day", FieldType::Timestamp, 0},
                            {"price", FieldType::Number, 0}});
    std::vector<Value> row;
    std::vector<paradox::Value> out(10);
    qint64 n = 0;
    while (cursor->fetch(row)) {
        for (size_t i = 0; i < row.size(); ++i)
            out[i] = staging::paradoxValueOf(row[i]);
        w.append(out);
        ++n;
    }
    w.commit();
    if (qEnvironmentVariableIsSet("TRANSFER_BENCH_VERBOSE"))
        std::fprintf(stderr, "bare: %lld rows in %.3f s\n", static_cast<long long>(n), seconds(t));
    return seconds(t);
}

// The large table: made on the server, sent to Paradox through the engine, read by pxlib.
// The rows pxlib read when they are the server's rows with the same values, else -1.
qint64 bigTable(const QString& sql, const QString& folder, qint64 rows)
{
    const QString table = QStringLiteral("BIGTABLE");
    bench::makeBigTable(sql, table, rows);
    QElapsedTimer timer;
    timer.start();
    const TransferSummary sent = runTransfer(false, sql, folder, table);
    const double took = seconds(timer);
    const QString file = folder + u'/' + table + QStringLiteral(".db");
    const int blockSize = paradox::TableReader::open(file.toStdString())->header().blockSize;
    const bench::TableSum server = bench::serverSum(sql, table);
    const bench::TableSum read = bench::pxlibSum(file);
    QFile::remove(file);
    const bool whole = sent.rowsCopied == rows && server.rows == rows && read == server;
    std::printf("big table: %lld rows of varchar(40), decimal(9,0), float, datetime sent to "
                "Paradox in %.1f s, blocks of %d KB; pxlib read %lld rows, %s the server's "
                "values\n",
                static_cast<long long>(rows), took, blockSize / 1024,
                static_cast<long long>(read.rows), read == server ? "with" : "NOT with");
    std::fflush(stdout);
    return whole ? read.rows : -1;
}

// The child of the memory measure: one transfer of the named direction, then its peak.
int child(const QStringList& args)
{
    const bool toSql = args[2] == QLatin1String("p2s");
    const QString sql = args[3], folder = args[4], table = args[5];
    const int rows = args[6].toInt();
    if (toSql)
        writeParadoxTable(folder, table, rows);
    const TransferSummary s = runTransfer(toSql, sql, folder, table);
    std::printf("%lld %.1f\n", static_cast<long long>(s.rowsCopied), bench::peakResidentMiB());
    return s.rowsFailed == 0 ? 0 : 1;
}

double peakInChild(const QString& direction, const QString& sql, const QString& folder,
                   const QString& table, int rows)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--child"), direction, sql, folder, table, QString::number(rows)});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        throw std::runtime_error("the " + direction.toStdString() + " child failed");
    const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
    if (f.value(0).toLongLong() != rows)
        throw std::runtime_error("the child copied " + f.value(0).toStdString() + " rows");
    return f.value(1).toDouble();
}

// One INSERT per row against many rows to a statement, every reply 1 ms late.
// The higher of the peak memories of a send each way of `rows` rows (0: not measured).
double peakBothWays(const QString& sql, const QString& dir, int rows, const char* how)
{
    if (rows <= 0)
        return 0;
    const QString mem = dir + QStringLiteral("/mem");
    QDir().mkpath(mem);
    const double p = peakInChild(QStringLiteral("p2s"), sql, mem, QStringLiteral("BIG"), rows);
    QFile::remove(mem + QStringLiteral("/BIG.db"));
    const double s = peakInChild(QStringLiteral("s2p"), sql, mem, QStringLiteral("BIG"), rows);
    std::printf("peak memory at %d rows%s: paradox->sqlserver %.1f MB, sqlserver->paradox %.1f "
                "MB\n",
                rows, how, p, s);
    return std::max(p, s);
}

double latencySpeedup(test::StandinServer& server, const QString& folder, int rows)
{
    const QString sql = server.connectionString();
    writeParadoxTable(folder, QStringLiteral("SLOW"), rows);
    server.control(QStringLiteral("latency 1"));
    double took[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        QElapsedTimer t;
        t.start();
        if (runTransfer(true, sql, folder, QStringLiteral("SLOW"),
                        i == 0 ? 1 : kDefaultRowsPerStatement)
                .rowsCopied != rows)
            throw std::runtime_error("the transfer with latency copied too few rows");
        took[i] = seconds(t);
        server.control(QStringLiteral("latency 0"));
        server.execute(QStringLiteral("DROP TABLE [SLOW]"));
        server.control(QStringLiteral("latency 1"));
    }
    server.control(QStringLiteral("latency 0"));
    std::printf("paradox->sqlserver  %d rows, 1 ms latency: one INSERT per row %.1f s, %d rows "
                "to a statement %.2f s\n",
                rows, took[0], kDefaultRowsPerStatement, took[1]);
    std::fflush(stdout);
    return took[0] / took[1];
}

// Each direction's time with verification over its time without, on the same table: a
// Paradox table to SQL Server, then that table back to Paradox. Both fail when a table is
// not verified.
std::pair<double, double> verifyOverhead(test::StandinServer& server, const QString& dir, int rows)
{
    const QString sql = server.connectionString();
    const QString src = dir + QStringLiteral("/vsrc"), dst = dir + QStringLiteral("/vdst");
    QDir().mkpath(src);
    QDir().mkpath(dst);
    const QString table = QStringLiteral("VBENCH");
    writeParadoxTable(src, table, rows);
    double took[2][2] = {{0, 0}, {0, 0}}; // [direction][verify]
    for (int verify = 0; verify < 2; ++verify) {
        if (verify)
            server.execute(QStringLiteral("DROP TABLE [VBENCH]"));
        QElapsedTimer t;
        t.start();
        const TransferSummary s =
            runTransfer(true, sql, src, table, kDefaultRowsPerStatement, verify == 1);
        took[0][verify] = seconds(t);
        if (s.rowsCopied != rows || s.tablesVerified != verify)
            throw std::runtime_error("the transfer to SQL Server was not whole and verified");
    }
    for (int verify = 0; verify < 2; ++verify) {
        QFile::remove(dst + QStringLiteral("/VBENCH.db"));
        QElapsedTimer t;
        t.start();
        const TransferSummary s =
            runTransfer(false, sql, dst, table, kDefaultRowsPerStatement, verify == 1);
        took[1][verify] = seconds(t);
        if (s.rowsCopied != rows || s.tablesVerified != verify)
            throw std::runtime_error("the transfer to Paradox was not whole and verified");
    }
    server.execute(QStringLiteral("DROP TABLE [VBENCH]"));
    std::printf("verification at %d rows: paradox->sqlserver %.2f s without, %.2f s with; "
                "sqlserver->paradox %.2f s without, %.2f s with\n",
                rows, took[0][0], took[0][1], took[1][0], took[1][1]);
    std::fflush(stdout);
    return {took[0][1] / took[0][0], took[1][1] / took[1][0]};
}

int run(int rows, int memoryRows, qint64 bigRows, bool skipP2s, bool onlyVerify)
{
    if (onlyVerify) {
        test::StandinServer server;
        QTemporaryDir dir;
        const auto [p2s, s2p] = verifyOverhead(server, dir.path(), rows);
        const double peak =
            peakBothWays(server.connectionString(), dir.path(), memoryRows, ", verified");
        std::printf("verify_overhead_p2s=%.3f verify_overhead_s2p=%.3f peak_mb=%.1f\n", p2s, s2p,
                    peak);
        return 0;
    }
    test::StandinServer server;
    const QString sql = server.connectionString();
    QTemporaryDir dir;
    const QString src = dir.path() + QStringLiteral("/src"),
                  dst = dir.path() + QStringLiteral("/dst");
    QDir().mkpath(src);
    QDir().mkpath(dst);

    // Paradox to SQL Server.
    writeParadoxTable(src, QStringLiteral("BENCH"), rows);
    QString create;
    const QStringList inserts = insertTexts(src, QStringLiteral("BENCH"), create);
    // Each side runs twice, alternating; the faster run of each counts.
    double bareP2s = 1e300, oursP2s = 1e300;
    for (int round = 0; round < (skipP2s ? 0 : 2); ++round) {
        bareP2s = std::min(bareP2s, bareInserts(sql, create, inserts));
        if (round > 0)
            server.execute(QStringLiteral("DROP TABLE [BENCH]"));
        QElapsedTimer t;
        t.start();
        if (runTransfer(true, sql, src, QStringLiteral("BENCH")).rowsCopied != rows)
            throw std::runtime_error("the transfer to SQL Server copied too few rows");
        oursP2s = std::min(oursP2s, seconds(t));
    }
    std::printf(
        "paradox->sqlserver  %d rows: tabulex %.2f s (%.0f rows/s), bare INSERT loop %.2f s "
        "(%.0f rows/s)\n",
        rows, oursP2s, rows / oursP2s, bareP2s, rows / bareP2s);

    // SQL Server to Paradox, from a table of ten typed SQL Server columns.
    {
        Connection setup;
        setup.open(sql);
        setup.execute(bench::createTableStatement(QStringLiteral("MIXED")));
        for (int i = 0; i < rows; ++i)
            setup.execute(bench::insertStatement(QStringLiteral("MIXED"), i));
    }
    double bareS2p = 1e300, oursS2p = 1e300;
    for (int round = 0; round < 3; ++round) {
        QFile::remove(dst + QStringLiteral("/BARE.db"));
        bareS2p = std::min(bareS2p, bareFetchAndWrite(sql, dst, QStringLiteral("MIXED")));
        QFile::remove(dst + QStringLiteral("/MIXED.db"));
        QElapsedTimer timer;
        timer.start();
        if (runTransfer(false, sql, dst, QStringLiteral("MIXED")).rowsCopied != rows)
            throw std::runtime_error("the transfer to Paradox copied too few rows");
        oursS2p = std::min(oursS2p, seconds(timer));
    }
    std::printf("sqlserver->paradox  %d rows: tabulex %.2f s (%.0f rows/s), bare fetch + write "
                "%.2f s (%.0f rows/s)\n",
                rows, oursS2p, rows / oursS2p, bareS2p, rows / bareS2p);

    qint64 bigRead = 0;
    if (bigRows > 0) {
        const QString big = dir.path() + QStringLiteral("/big");
        QDir().mkpath(big);
        bigRead = bigTable(sql, big, bigRows);
    }

    const double peak = peakBothWays(sql, dir.path(), memoryRows, "");
    double speedup = 0;
    if (!skipP2s) {
        const QString slow = dir.path() + QStringLiteral("/slow");
        QDir().mkpath(slow);
        speedup = latencySpeedup(server, slow, 100000);
    }
    const QString vdir = dir.path() + QStringLiteral("/verify");
    const auto [verifyP2s, verifyS2p] =
        skipP2s ? std::pair<double, double>{0, 0} : verifyOverhead(server, vdir, rows);
    std::printf("big_rows=%lld big_whole=%s\n", static_cast<long long>(bigRead),
                bigRead == bigRows ? "yes" : "no");
    std::printf("p2s_ratio=%.3f s2p_ratio=%.3f peak_mb=%.1f latency_speedup=%.1f "
                "verify_overhead_p2s=%.3f verify_overhead_s2p=%.3f\n",
                oursP2s / bareP2s, oursS2p / bareS2p, peak, speedup, verifyP2s, verifyS2p);
    return bigRead == bigRows ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.value(1) == QLatin1String("--child"))
            return child(args);
        int rows = 100000, memoryRows = 1000000;
        qint64 bigRows = 1200000;
        bool skipP2s = false;
        bool onlyVerify = false;
        for (int i = 1; i < args.size(); ++i) {
            skipP2s |= args[i] == QLatin1String("--only-s2p");
            onlyVerify |= args[i] == QLatin1String("--only-verify");
        }
        for (int i = 1; i + 1 < args.size(); ++i) {
            if (args[i] == QLatin1String("--rows"))
                rows = args[i + 1].toInt();
            else if (args[i] == QLatin1String("--memory-rows"))
                memoryRows = args[i + 1].toInt();
            else if (args[i] == QLatin1String("--big-rows"))
                bigRows = args[i + 1].toLongLong();
        }
        return run(rows, memoryRows, bigRows, skipP2s, onlyVerify);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "transfer_bench: %s\n", e.what());
        return 1;
    }
}
