#include "transfer/CopyRows.h"

#include "app/CommandHost.h"
#include "app/Connection.h"
#include "app/ErrorTrap.h"
#include "app/Recordset.h"
#include "transfer/Statements.h"

#include <cmath>

namespace tabulex {

CopyResult CopyRows(CommandHost& host, ErrorTrap& trap, int line, Recordset& source,
                    Connection& target, const QString& table,
                    const std::vector<ColumnPlan>& columns, QString& currentStatement)
{
    CopyResult result;
    const qint64 n = source.RecordCount() - 1;
    for (qint64 r = 0; r <= n && !source.Eof(); ++r) {
        host.processEvents();
        host.setProgress(int(std::lround(double(r + 1) / double(n + 1) * 100.0)));
        const bool ok = trap.step(line, [&] {
            currentStatement = BuildInsertStatement(table, source.Fields(), columns, &host);
            verifyValuesFit(source.Fields(), columns);
            target.Execute(currentStatement);
        });
        ++(ok ? result.copied : result.failed);
        trap.step(line + 2, [&] { source.MoveNext(); });
    }
    host.setWaitPointer(false);
    host.setProgress(0);
    host.setProgressText(kProgressBarIdleText);
    trap.step(line + 4, [&] { source.Close(); });
    return result;
}

} // namespace tabulex
