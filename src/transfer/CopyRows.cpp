#include "transfer/CopyRows.h"

#include "data/Recordset.h"
#include "host/CommandHost.h"
#include "host/ErrorTrap.h"
#include "transfer/RowTarget.h"

#include <cmath>

namespace tabulex {

CopyResult copyRows(CommandHost& host, ErrorTrap& trap, int line, Recordset& source,
                    RowTarget& target)
{
    CopyResult result;
    // The count comes before the rows; should the table have changed in between, every
    // row still goes and the bar simply stops at 100.
    const qint64 n = source.recordCount() - 1;
    RowProgress rows{target.table(), 0, n + 1};
    host.setRowProgress(rows);
    for (qint64 r = 0; !source.atEnd(); ++r) {
        host.processEvents();
        const double share = n >= 0 ? double(r + 1) / double(n + 1) : 1.0;
        host.setProgress(int(std::lround(std::min(share, 1.0) * 100.0)));
        const bool ok = trap.step(line, [&] { target.write(source.fields()); });
        ++(ok ? result.copied : result.failed);
        rows.done = r + 1;
        rows.failed = result.failed;
        host.setRowProgress(rows);
        if (!trap.step(line + 2, [&] { source.moveNext(); }))
            break; // a source that cannot move on has no more rows to give
    }
    target.finish();
    rows.finished = true;
    host.setRowProgress(rows);
    host.setWaitPointer(false);
    host.setProgress(0);
    host.setProgressText(kProgressBarIdleText);
    trap.step(line + 4, [&] { source.close(); });
    return result;
}

} // namespace tabulex
