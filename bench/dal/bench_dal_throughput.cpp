// How fast the SQL Server stand-in answers what a transfer sends: 100,000 single-row INSERTs
// (quoted values, one statement per row) and a 100,000-row SELECT of ten mixed columns walked
// through a Recordset. Besides rows per second it prints the stand-in's share of the run
// (its CPU seconds over the wall-clock seconds of the same run): the lower, the more a
// transfer benchmark measures Tabulex rather than the stand-in.
#include "BenchTable.h"
#include "StandinServer.h"
#include "core/DataError.h"
#include "data/Connection.h"
#include "data/Recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

#include <sys/resource.h>

using namespace tabulex;

namespace {

constexpr int kRows = 100000;

double ownCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Run {
    double seconds;
    double standinCpu;
    double clientCpu;
};

template <typename F> Run measure(const test::StandinServer& server, F&& work)
{
    const double standin0 = bench::cpuSeconds(server.processId());
    const double client0 = ownCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    work();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return Run{seconds, bench::cpuSeconds(server.processId()) - standin0,
               ownCpuSeconds() - client0};
}

void report(const char* what, const Run& r)
{
    std::printf("%s: rows=%d seconds=%.2f rows_per_s=%.0f standin_cpu_s=%.2f client_cpu_s=%.2f "
                "standin_share=%.2f\n",
                what, kRows, r.seconds, kRows / r.seconds, r.standinCpu, r.clientCpu,
                r.standinCpu / r.seconds);
}

int run()
{
    test::StandinServer server;
    const QString table = QStringLiteral("Transfer");
    server.execute(bench::createTableStatement(table));
    Connection c;
    c.cursorLocation = ado::adUseServer;
    c.commandTimeout = 5000;
    c.open(server.connectionString());

    const Run insert = measure(server, [&] {
        for (int i = 0; i < kRows; ++i)
            c.execute(bench::insertStatement(table, i));
    });
    qint64 values = 0;
    const Run select = measure(server, [&] {
        Recordset rs;
        rs.open(QStringLiteral("SELECT * FROM [%1]").arg(table), c);
        for (; !rs.atEnd(); rs.moveNext())
            for (const Field& f : rs.fields())
                values += !f.value.isNull();
    });
    if (values != qint64(kRows) * 10)
        throw std::runtime_error("the SELECT did not return every value");
    report("insert", insert);
    report("select", select);
    std::printf("insert_rows_per_s=%.0f select_rows_per_s=%.0f insert_standin_share=%.2f "
                "select_standin_share=%.2f\n",
                kRows / insert.seconds, kRows / select.seconds, insert.standinCpu / insert.seconds,
                select.standinCpu / select.seconds);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    try {
        return run();
    } catch (const DataError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
