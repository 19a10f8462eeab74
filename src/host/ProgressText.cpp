#include "host/ProgressText.h"

#include <cmath>

namespace tabulex {

QString groupedCount(qint64 n)
{
    QString digits = QString::number(n < 0 ? -n : n);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u',');
    return n < 0 ? u'-' + digits : digits;
}

QString groupedRows(qint64 n) { return groupedCount(n) + (n == 1 ? " row" : " rows"); }

QString timeLeftText(const RowProgress& p, double seconds)
{
    // A rate needs a second of rows, and a total the rows have not passed.
    if (seconds < 1.0 || p.done <= 0 || p.total <= p.done)
        return {};
    const qint64 left = qint64(std::ceil(double(p.total - p.done) * seconds / double(p.done)));
    const qint64 h = left / 3600;
    const qint64 m = left / 60 % 60;
    const qint64 s = left % 60;
    const QString two = QStringLiteral("%1").arg(s, 2, 10, QLatin1Char('0'));
    return (h > 0 ? QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(two)
                  : QStringLiteral("%1:%2").arg(m).arg(two)) +
           QStringLiteral(" left");
}

QString rowProgressText(const RowProgress& p, int number, int count, double seconds)
{
    QString text =
        count > 1 ? QStringLiteral("Table %1 of %2: ").arg(number).arg(count) : QString();
    text += p.table + QStringLiteral(", ");
    text += p.total >= p.done && p.total >= 0
                ? QStringLiteral("%1 of %2 rows").arg(groupedCount(p.done), groupedCount(p.total))
                : QStringLiteral("%1 rows").arg(groupedCount(p.done));
    if (seconds >= 1.0)
        text += QStringLiteral(", %1 rows/s").arg(groupedCount(qint64(double(p.done) / seconds)));
    if (p.failed > 0)
        text += QStringLiteral(", %1 failed").arg(groupedCount(p.failed));
    if (const QString left = timeLeftText(p, seconds); !left.isEmpty())
        text += QStringLiteral(", ") + left;
    return text;
}

} // namespace tabulex
