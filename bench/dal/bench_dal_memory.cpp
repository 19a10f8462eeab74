// Peak memory of walking a recordset with a known RecordCount (client-side cursor) over 10,000
// and 1,000,000 rows of the SQL Server stand-in, against the same walk with a server-side,
// streaming recordset as the baseline. Each walk runs in a fresh child process, so each peak
// is its own. Last line: peak_mb_10k=<x> peak_mb_1m=<y> ratio=<1m/10k> (client-side).
#include "BenchTable.h"
#include "StandinServer.h"
#include "core/DataError.h"
#include "data/Connection.h"
#include "data/Recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <stdexcept>

using namespace tabulex;

namespace {

struct Walk {
    double peakMiB = 0;
    qint64 rows = 0;
    qint64 recordCount = 0;
    double seconds = 0;
};

// The child: opens the recordset, walks every row reading every value, reports its peak.
int walk(const QString& mode, const QString& connectionString, const QString& table)
{
    QElapsedTimer timer;
    timer.start();
    Connection c;
    c.cursorLocation = mode == QLatin1String("client") ? ado::adUseClient : ado::adUseServer;
    c.commandTimeout = 0;
    c.open(connectionString);
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM [%1]").arg(table), c);
    qint64 rows = 0, nulls = 0;
    for (; !rs.atEnd(); rs.moveNext()) {
        for (const Field& f : rs.fields())
            nulls += f.value.isNull();
        ++rows;
    }
    std::printf("%lld %lld %.3f %.3f %lld\n", static_cast<long long>(rows),
                static_cast<long long>(rs.recordCount()), bench::peakResidentMiB(),
                double(timer.elapsed()) / 1000.0, static_cast<long long>(nulls));
    return 0;
}

Walk walkInChild(const QString& mode, const QString& connectionString, const QString& table)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--walk"), mode, connectionString, table});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        throw std::runtime_error("the walk over " + table.toStdString() + " failed");
    const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
    return Walk{f.value(2).toDouble(), f.value(0).toLongLong(), f.value(1).toLongLong(),
                f.value(3).toDouble()};
}

void fill(const test::StandinServer& server, const QString& table, int rows)
{
    server.execute(bench::createTableStatement(table));
    server.control(QStringLiteral("fill %1 %2").arg(table).arg(rows));
}

int run()
{
    test::StandinServer server;
    fill(server, QStringLiteral("rows10k"), 10000);
    fill(server, QStringLiteral("rows1m"), 1000000);
    const QString cs = server.connectionString();
    double peak[2][2] = {};
    const char* modes[2] = {"server", "client"};
    const char* tables[2] = {"rows10k", "rows1m"};
    for (int t = 0; t < 2; ++t)
        for (int m = 0; m < 2; ++m) {
            const Walk w = walkInChild(QLatin1String(modes[m]), cs, QLatin1String(tables[t]));
            peak[m][t] = w.peakMiB;
            std::printf("%s-side %s: rows=%lld RecordCount=%lld peak_mb=%.1f seconds=%.2f\n",
                        modes[m], tables[t], static_cast<long long>(w.rows),
                        static_cast<long long>(w.recordCount), w.peakMiB, w.seconds);
        }
    std::printf("baseline (server-side, streaming): peak_mb_10k=%.1f peak_mb_1m=%.1f "
                "ratio=%.2f\n",
                peak[0][0], peak[0][1], peak[0][1] / peak[0][0]);
    std::printf("peak_mb_10k=%.1f peak_mb_1m=%.1f ratio=%.2f\n", peak[1][0], peak[1][1],
                peak[1][1] / peak[1][0]);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 5 && args[1] == QLatin1String("--walk"))
            return walk(args[2], args[3], args[4]);
        return run();
    } catch (const DataError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
