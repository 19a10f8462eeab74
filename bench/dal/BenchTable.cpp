#include "BenchTable.h"

#include <QFile>
#include <QStringList>

#include <unistd.h>

namespace tabulex::bench {

QString createTableStatement(const QString& table)
{
    return QStringLiteral("CREATE TABLE [%1]([id] INT, [code] BIGINT, [name] NVARCHAR(40), "
                          "[note] VARCHAR(60), [amount] DECIMAL(18,4), [ratio] FLOAT, "
                          "[created] DATETIME, [active] BIT, [day] DATE, [price] MONEY);")
        .arg(table);
}

QString insertStatement(const QString& table, int i)
{
    return QStringLiteral("INSERT INTO [%1] VALUES('%2', '%3', 'Customer %2', 'note for row %2 "
                          "it''s fine', '%4.%5', '%6', '2024-02-%7T13:45:%8', '%9', "
                          "'2023-12-%7', '%10.25')")
        .arg(table)
        .arg(i)
        .arg(qint64(i) * 7919)
        .arg(i % 100000)
        .arg(i % 10000, 4, 10, QLatin1Char('0'))
        .arg(double(i) / 7.0, 0, 'g', 17)
        .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
        .arg(i % 60, 2, 10, QLatin1Char('0'))
        .arg(i % 2 ? QStringLiteral("True") : QStringLiteral("False"))
        .arg(i % 1000);
}

namespace {

double statusKiB(const QByteArray& key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toDouble();
    return 0;
}

} // namespace

double peakResidentMiB() { return statusKiB("VmHWM:") / 1024.0; }

double cpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    // Fields after the command name in parentheses; utime and stime are fields 14 and 15.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

} // namespace tabulex::bench
